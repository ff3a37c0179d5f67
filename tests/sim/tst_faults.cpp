#include "control_language.h"
#include "log_line.h"
#include "options.h"
#include "sim_line.h"

#include <QTest>

namespace {

std::vector<Emission> emissionsFor(Transmitter &transmitter, std::string_view bytes, double nowMs)
{
    return transmitter.receive(bytes, nowMs).emissions;
}

QByteArray joined(const std::vector<Emission> &emissions)
{
    QByteArray bytes;
    for (const Emission &emission : emissions)
        bytes += QByteArray::fromStdString(emission.bytes);
    return bytes;
}

} // namespace

// The misbehaviour the simulator can be told to show, its timing on the
// line, and the text interfaces around it: control language, options, log.
class FaultsTest : public QObject {
    Q_OBJECT

private slots:
    void silentAndRefusingTransmittersChangeNothing_data();
    void silentAndRefusingTransmittersChangeNothing();
    void garbledDataLineFailsTheToolsCheck();
    void piecesCarryTheWholeReplyInOrder();
    void slowAndTimedRepliesLeaveLater();
    void repliesWaitForTheLine();
    void controlCommandsSwitchFaultsAndGas();
    void controlCommandsRejectBadInput_data();
    void controlCommandsRejectBadInput();
    void optionsAreCheckedWhole_data();
    void optionsAreCheckedWhole();
    void logLinesEscapeEveryByte();
    void stateTextRoundTripsAndRejectsGaps();
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
    // Other replies are not touched.
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
        const auto whole = emissionsFor(healthy, "PARAM\r", now);
        const auto pieces = emissionsFor(broken, "PARAM\r", now);
        QCOMPARE(joined(pieces), joined(whole));
        QVERIFY(pieces.size() == 2 || pieces.size() == 3);
        QCOMPARE(pieces.front().atMs, now);
        for (std::size_t i = 1; i < pieces.size(); ++i) {
            const double gap = pieces[i].atMs - pieces[i - 1].atMs;
            QVERIFY(gap >= 3.0 && gap <= 8.0);
        }
    }
}

void FaultsTest::slowAndTimedRepliesLeaveLater()
{
    TransmitterSetup setup = calibratedSetup();
    setup.faults.slowMs = 700;
    Transmitter slow(setup);
    const auto delayed = emissionsFor(slow, "T0\r", 50.0);
    QCOMPARE(delayed.size(), std::size_t(1));
    QCOMPARE(delayed.front().atMs, 750.0);

    setup.faults = {};
    setup.characterMs = characterTimeMs(9600);
    Transmitter timed(setup);
    const auto bytes = emissionsFor(timed, "X\r", 0.0);
    // One byte each, 1.04 ms apart: the 45 bytes of "X" take about 47 ms.
    QCOMPARE(bytes.size(), std::size_t(45));
    QCOMPARE(bytes.back().bytes, std::string(">"));
    QVERIFY(std::abs(bytes.back().atMs - 45 * 10000.0 / 9600) < 1e-9);
}

void FaultsTest::repliesWaitForTheLine()
{
    TransmitterSetup setup = calibratedSetup();
    setup.characterMs = characterTimeMs(9600);
    Transmitter transmitter(setup);
    const auto both = emissionsFor(transmitter, "T0\rR0\r", 0.0);
    QCOMPARE(joined(both), QByteArray("T0\r\nT0 = 30000\r\n>R0\r\nR0 = 20000\r\n>"));
    for (std::size_t i = 1; i < both.size(); ++i)
        QVERIFY(both[i].atMs > both[i - 1].atMs);
    // A store answers once the memory is written.
    const auto stored = emissionsFor(transmitter, "SAVE\r", 0.0);
    QCOMPARE(stored.front().atMs, Transmitter::storeMs + characterTimeMs(9600));
}

void FaultsTest::controlCommandsSwitchFaultsAndGas()
{
    Transmitter transmitter(calibratedSetup());
    const auto run
        = [&](std::string_view line) { return runControlCommand(line, transmitter, 0.0); };

    QVERIFY(run("gas 2000").text.starts_with("ok"));
    QCOMPARE(transmitter.sensor().gas(), 2000.0);
    run("fault noreply");
    run("  fault   slow 700 ");
    run("fault pieces");
    run("fault garble");
    run("fault error");
    run("irlow");
    QVERIFY(transmitter.sensor().weakLamp());
    const Faults all {true, true, true, true, 700};
    QCOMPARE(transmitter.faults(), all);
    QVERIFY(run("status").text.find("noreply error garble pieces slow 700") != std::string::npos);

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

void FaultsTest::controlCommandsRejectBadInput_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("negative gas") << QByteArray("gas -5");
    QTest::newRow("gas with unit") << QByteArray("gas 400ppm");
    QTest::newRow("gas without value") << QByteArray("gas");
    QTest::newRow("unknown fault") << QByteArray("fault smoke");
    QTest::newRow("slow without time") << QByteArray("fault slow");
    QTest::newRow("slow for a day") << QByteArray("fault slow 86400000");
    QTest::newRow("extra word") << QByteArray("clear all");
    QTest::newRow("unknown") << QByteArray("explode");
}

void FaultsTest::controlCommandsRejectBadInput()
{
    QFETCH(QByteArray, line);
    Transmitter transmitter(calibratedSetup());
    const ControlResult result = runControlCommand(line.toStdString(), transmitter, 0.0);
    QVERIFY(result.text.starts_with("error"));
    QVERIFY(!result.quit);
    QCOMPARE(transmitter.faults(), Faults {});
    QCOMPARE(transmitter.sensor().gas(), 400.0);
}

void FaultsTest::optionsAreCheckedWhole_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("good");
    QTest::newRow("link only") << QStringList {"ttyK"} << true;
    QTest::newRow("everything") << QStringList {"--seed", "9",    "--gas=0",       "--calibrated",
                                                "--baud", "9600", "--fault",       "pieces",
                                                "--slow", "20",   "--log-replies", "ttyK"}
                                << true;
    QTest::newRow("no link") << QStringList {"--seed", "9"} << false;
    QTest::newRow("two links") << QStringList {"ttyA", "ttyB"} << false;
    QTest::newRow("value missing") << QStringList {"ttyK", "--gas"} << false;
    QTest::newRow("number with unit") << QStringList {"--baud", "9600bd", "ttyK"} << false;
    QTest::newRow("unknown fault") << QStringList {"--fault", "smoke", "ttyK"} << false;
    QTest::newRow("unknown option") << QStringList {"--fast", "ttyK"} << false;
    QTest::newRow("flag with value") << QStringList {"--calibrated=yes", "ttyK"} << false;
}

void FaultsTest::optionsAreCheckedWhole()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, good);
    std::vector<std::string> texts;
    for (const QString &argument : arguments)
        texts.push_back(argument.toStdString());
    const std::vector<std::string_view> views(texts.begin(), texts.end());
    const ParsedOptions parsed = parseOptions(views);
    QCOMPARE(parsed.error.empty(), good);
    if (good && arguments.size() > 1) {
        QCOMPARE(parsed.options.setup.seed, std::uint64_t(9));
        QCOMPARE(parsed.options.setup.gasPpm, 0.0);
        QCOMPARE(parsed.options.setup.saved, calibratedParameters());
        QVERIFY(std::abs(parsed.options.setup.characterMs - 10000.0 / 9600) < 1e-12);
        QCOMPARE(parsed.options.setup.faults, (Faults {false, false, false, true, 20}));
    }
}

void FaultsTest::logLinesEscapeEveryByte()
{
    QCOMPARE(logLine(12.3456, "RX", "T012346\r"), std::string("12.346 RX \"T012346\\r\"\n"));
    QCOMPARE(logLine(0, "TX", std::string_view("\x03\n\t\"\\\0\xff~ ", 9)),
             std::string("0.000 TX \"\\x03\\n\\t\\\"\\\\\\x00\\xFF~ \"\n"));
}

void FaultsTest::stateTextRoundTripsAndRejectsGaps()
{
    TransmitterParameters parameters = agedParameters();
    parameters.relayLow = -50;
    QCOMPARE(parseStateText(stateText(parameters)), std::optional(parameters));
    QVERIFY(!parseStateText("T0 30000\n"));
    QVERIFY(!parseStateText(stateText(parameters) + "XX 1\n"));
    QVERIFY(!parseStateText("T0 3x000\n"));
}

QTEST_GUILESS_MAIN(FaultsTest)
#include "tst_faults.moc"
