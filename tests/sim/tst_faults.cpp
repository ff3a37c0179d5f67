#include "control_language.h"
#include "log_line.h"
#include "sim_line.h"

#include <QTest>

// The misbehaviour the simulator can be told to show, its timing on the
// line, and the text interfaces around it: control language, log, state file.
class FaultsTest : public QObject {
    Q_OBJECT

private slots:
    void silentAndRefusingTransmittersChangeNothing();
    void repliesComeGarbledInPiecesOrLate();
    void controlCommandsSwitchFaultsAndGas();
    void logLinesAndStateTextKeepEveryByte();
};

void FaultsTest::silentAndRefusingTransmittersChangeNothing()
{
    for (const bool noReply : {true, false}) {
        TransmitterSetup setup = calibratedSetup();
        (noReply ? setup.faults.noReply : setup.faults.error) = true;
        SimLine line(setup);
        QCOMPARE(line.command("T012345"), noReply ? "" : "T012345\r\nERROR\r\n>");
        QCOMPARE(line.command("SAVE").isEmpty(), noReply);
        QCOMPARE(line.transmitter.working(), calibratedParameters());
        QCOMPARE(line.transmitter.storeCount(), 0);
        // Every command still reaches the log.
        QCOMPARE(line.transmitter.receive("X\r", 0.0).received.size(), std::size_t(1));
        line.transmitter.faults() = {};
        QVERIFY(toolRecord(line.command("X")));
    }
}

void FaultsTest::repliesComeGarbledInPiecesOrLate()
{
    TransmitterSetup setup = calibratedSetup();
    setup.faults.garble = true;
    SimLine garbled(setup);
    const QByteArray reply = garbled.command("X");
    QVERIFY(reply.size() == 45 && !toolRecord(reply));
    QCOMPARE(garbled.command("T0"), QByteArray("T0\r\nT0 = 30000\r\n>"));

    setup.faults = {.pieces = true};
    SimLine healthy(calibratedSetup()), broken(setup);
    for (double now = 0.0; now < 20000.0; now += 1000.0) {
        const auto pieces = broken.transmitter.receive("PARAM\r", now).emissions;
        QVERIFY(pieces.size() == 2 || pieces.size() == 3);
        QCOMPARE(pieces.front().atMs, now);
        std::string whole = pieces.front().bytes;
        for (std::size_t i = 1; i < pieces.size(); ++i) {
            whole += pieces[i].bytes;
            QVERIFY(pieces[i].atMs - pieces[i - 1].atMs >= 3.0);
            QVERIFY(pieces[i].atMs - pieces[i - 1].atMs <= 8.0);
        }
        QCOMPARE(QByteArray::fromStdString(whole), healthy.command("PARAM"));
    }

    setup.faults = {.slowMs = 700};
    QCOMPARE(Transmitter(setup).receive("T0\r", 50.0).emissions.front().atMs, 750.0);
    // At 9600 baud a byte takes 1.04 ms: the 45 bytes of "X" about 47 ms,
    // and a second command's reply follows the first one's prompt.
    setup.faults = {};
    setup.characterMs = characterTimeMs(9600);
    Transmitter timed(setup);
    const auto bytes = timed.receive("X\rT0\r", 0.0).emissions;
    QCOMPARE(bytes.size(), std::size_t(45 + 17));
    QCOMPARE(bytes[44].bytes, std::string(">"));
    QVERIFY(std::abs(bytes[44].atMs - 45 * 10000.0 / 9600) < 1e-9);
    QVERIFY(std::abs(bytes.back().atMs - 62 * 10000.0 / 9600) < 1e-9);
    // A store answers once the memory is written.
    QCOMPARE(timed.receive("SAVE\r", 100.0).emissions.front().atMs,
             100.0 + Transmitter::storeMs + characterTimeMs(9600));
}

void FaultsTest::controlCommandsSwitchFaultsAndGas()
{
    Transmitter transmitter(calibratedSetup());
    const auto run = [&](const char *line) { return runControlCommand(line, transmitter, 0.0); };
    for (const char *line : {"gas -5", "gas 400ppm", "fault smoke", "fault slow 86400000"})
        QVERIFY(run(line).text.starts_with("error"));
    QCOMPARE(transmitter.faults(), Faults {});
    QCOMPARE(transmitter.sensor().gas(), 400.0);

    for (const char *line : {"gas 2000", "fault noreply", "  fault   slow 700 ", "fault pieces",
                             "fault garble", "fault error", "irlow"})
        QVERIFY(run(line).text.starts_with("ok"));
    QVERIFY(transmitter.sensor().weakLamp());
    QCOMPARE(transmitter.faults(), (Faults {true, true, true, true, 700}));
    run("clear");
    QCOMPARE(transmitter.faults(), Faults {});
    QVERIFY(!transmitter.sensor().weakLamp());
    QCOMPARE(transmitter.sensor().gas(), 2000.0);

    transmitter.receive("T012345\r", 0.0);
    run("restart");
    QCOMPARE(transmitter.working(), calibratedParameters());
    QVERIFY(!run("status").quit && run("quit").quit);
}

void FaultsTest::logLinesAndStateTextKeepEveryByte()
{
    QCOMPARE(logLine(12.3456, "RX", "T012346\r"), std::string("12.346 RX \"T012346\\r\"\n"));
    QCOMPARE(logLine(0, "TX", std::string_view("\x03\n\t\"\\\0\xff~ ", 9)),
             std::string("0.000 TX \"\\x03\\n\\t\\\"\\\\\\x00\\xFF~ \"\n"));

    TransmitterParameters parameters = agedParameters();
    parameters.relayLow = -50;
    QCOMPARE(parseStateText(stateText(parameters)), std::optional(parameters));
    QVERIFY(!parseStateText("T0 30000\n"));
    QVERIFY(!parseStateText(stateText(parameters) + "XX 1\n"));
}

QTEST_GUILESS_MAIN(FaultsTest)
#include "tst_faults.moc"
