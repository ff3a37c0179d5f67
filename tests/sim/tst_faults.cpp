#include "control_language.h"
#include "log_line.h"
#include "sim_line.h"

#include <QTest>

namespace {

QByteArray joined(const std::vector<Emission> &emissions)
{
    QByteArray bytes;
    for (const Emission &emission : emissions)
        bytes += QByteArray::fromStdString(emission.bytes);
    return bytes;
}

} // namespace

// The misbehaviour the simulator can be told to show, its timing on the
// line, and the text interfaces around it: control language, log, state file.
class FaultsTest : public QObject {
    Q_OBJECT

private slots:
    void silentAndRefusingTransmittersChangeNothing_data();
    void silentAndRefusingTransmittersChangeNothing();
    void garbledDataLineFailsTheToolsCheck();
    void piecesCarryTheWholeReplyInOrder();
    void repliesLeaveLateAndOneAfterAnother();
    void controlCommandsSwitchFaultsAndGas();
    void logLinesAndStateTextKeepEveryByte();
};

void FaultsTest::silentAndRefusingTransmittersChangeNothing_data()
{
    QTest::addColumn<bool>("noReply");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("noreply") << true << QByteArray();
    QTest::newRow("error") << false << QByteArray("T012345\r\nERROR\r\n>");
}

void FaultsTest::silentAndRefusingTransmittersChangeNothing()
{
    QFETCH(bool, noReply);
    QFETCH(QByteArray, expected);
    TransmitterSetup setup = calibratedSetup();
    (noReply ? setup.faults.noReply : setup.faults.error) = true;
    SimLine line(setup);

    QCOMPARE(line.command("T012345"), expected);
    QCOMPARE(line.command("SAVE").isEmpty(), noReply);
    QCOMPARE(line.transmitter.working(), calibratedParameters());
    QCOMPARE(line.transmitter.storeCount(), 0);
    // Every command still reaches the log.
    QCOMPARE(line.transmitter.receive("X\r", 0.0).received.size(), std::size_t(1));

    line.transmitter.faults() = {};
    QVERIFY(toolRecord(line.command("X")));
}

void FaultsTest::garbledDataLineFailsTheToolsCheck()
{
    TransmitterSetup setup = calibratedSetup();
    setup.faults.garble = true;
    SimLine line(setup);
    const QByteArray reply = line.command("X");
    QCOMPARE(reply.size(), 45);
    QVERIFY(!toolRecord(reply));
    QCOMPARE(line.command("T0"), QByteArray("T0\r\nT0 = 30000\r\n>"));
}

void FaultsTest::piecesCarryTheWholeReplyInOrder()
{
    TransmitterSetup setup = calibratedSetup();
    Transmitter healthy(setup);
    setup.faults.pieces = true;
    Transmitter broken(setup);

    for (int command = 0; command < 20; ++command) {
        const double now = 1000.0 * command;
        const auto pieces = broken.receive("PARAM\r", now).emissions;
        QCOMPARE(joined(pieces), joined(healthy.receive("PARAM\r", now).emissions));
        QVERIFY(pieces.size() == 2 || pieces.size() == 3);
        QCOMPARE(pieces.front().atMs, now);
        for (std::size_t i = 1; i < pieces.size(); ++i) {
            const double gap = pieces[i].atMs - pieces[i - 1].atMs;
            QVERIFY(gap >= 3.0 && gap <= 8.0);
        }
    }
}

void FaultsTest::repliesLeaveLateAndOneAfterAnother()
{
    TransmitterSetup setup = calibratedSetup();
    setup.faults.slowMs = 700;
    QCOMPARE(Transmitter(setup).receive("T0\r", 50.0).emissions.front().atMs, 750.0);

    // At 9600 baud a byte takes 1.04 ms: the 45 bytes of "X" about 47 ms,
    // and a second command's reply follows the first one's prompt.
    setup.faults = {};
    setup.characterMs = characterTimeMs(9600);
    Transmitter timed(setup);
    const auto bytes = timed.receive("X\rT0\r", 0.0).emissions;
    QCOMPARE(bytes.size(), std::size_t(45 + 17));
    QVERIFY(std::abs(bytes[44].atMs - 45 * 10000.0 / 9600) < 1e-9);
    QCOMPARE(bytes[44].bytes, std::string(">"));
    QVERIFY(std::abs(bytes.back().atMs - 62 * 10000.0 / 9600) < 1e-9);
    // A store answers once the memory is written.
    QCOMPARE(timed.receive("SAVE\r", 100.0).emissions.front().atMs,
             100.0 + Transmitter::storeMs + characterTimeMs(9600));
}

void FaultsTest::controlCommandsSwitchFaultsAndGas()
{
    Transmitter transmitter(calibratedSetup());
    const auto run
        = [&](std::string_view line) { return runControlCommand(line, transmitter, 0.0); };

    for (const char *line :
         {"gas -5", "gas 400ppm", "fault smoke", "fault slow 86400000", "clear all"})
        QVERIFY(run(line).text.starts_with("error"));
    QCOMPARE(transmitter.faults(), Faults {});
    QCOMPARE(transmitter.sensor().gas(), 400.0);

    QVERIFY(run("gas 2000").text.starts_with("ok"));
    QCOMPARE(transmitter.sensor().gas(), 2000.0);
    for (const char *line : {"fault noreply", "  fault   slow 700 ", "fault pieces", "fault garble",
                             "fault error", "irlow"})
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
    QVERIFY(!run("status").quit);
    QVERIFY(run("quit").quit);
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
