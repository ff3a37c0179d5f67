// The simulated transmitter: its replies byte for byte, its data line, what
// a store keeps, its line assembly, its faults, and a physical model that the
// program's calibration makes read true.

#include "command_assembler.h"
#include "sim_line.h"

#include <QTest>

#include <cmath>
#include <random>

namespace {

// A run as the tool takes it: the gas applied and left to settle, then one
// "X" every two seconds; the means of both signals and of the averaged
// reading the large display shows.
struct Means {
    double co2 = 0, reference = 0, average = 0;
};

Means run(SimLine &line, double gasPpm)
{
    line.transmitter.sensor().setGas(gasPpm);
    line.wait(10000);
    Means sum;
    for (int n = 0; n < 10; ++n) {
        line.wait(2000);
        const DataRecord r = toolRecord(line.command("X")).value_or(DataRecord {});
        sum = {sum.co2 + r.co2 / 10.0, sum.reference + r.reference / 10.0,
               sum.average + r.average / 10.0};
    }
    return sum;
}

QByteArray whole(double value)
{
    return QByteArray::number(std::lround(value));
}

// The tool's zero and span calibration, some minutes apart: the means at
// zero gas become T0 and R0; the span ratio's drop below the zero ratio is
// scaled to the transmitter's own span concentration for TS.
void calibrate(SimLine &line, double gasPpm)
{
    const Means zero = run(line, 0.0);
    line.send("T0" + whole(zero.co2) + "\rR0" + whole(zero.reference) + "\rSAVE\r");
    line.wait(120000);
    const double span = line.command("SPAN").mid(14).chopped(3).trimmed().toDouble();
    const Means measured = run(line, gasPpm);
    const double k = std::pow(std::abs(std::log(gasPpm) / std::log(span)), 1.0 / 0.2);
    const double r0 = double(std::lround(zero.co2)) / double(std::lround(zero.reference));
    const double rs = measured.co2 / measured.reference;
    line.send("TS" + whole(measured.reference * (r0 - (r0 - rs) / k)) + "\rRS"
              + whole(measured.reference) + "\rSAVE\r");
    line.wait(120000);
}

} // namespace

class SimulatorTest : public QObject {
    Q_OBJECT

private slots:
    void repliesAreFramedByteForByte_data();
    void repliesAreFramedByteForByte();
    void dataLineKeepsItsColumnsInEveryState_data();
    void dataLineKeepsItsColumnsInEveryState();
    void onlyAStoreKeepsWrittenValuesOverARestart();
    void lineAssemblyCopesWithWhatArrives();
    void silentAndRefusingTransmittersChangeNothing();
    void repliesComeGarbledInPiecesOrLate();
    void zeroAndSpanCalibrationMakeItReadTheGas();
};

void SimulatorTest::repliesAreFramedByteForByte_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("T0 query") << QByteArray("T0") << QByteArray("T0\r\nT0 = 30000\r\n>");
    // The value stands two places after "Span = ", at character 15.
    QTest::newRow("SPAN query") << QByteArray("SPAN") << QByteArray("SPAN\r\nSpan =  2000\r\n>");
    QTest::newRow("VER") << QByteArray("VER") << QByteArray("VER\r\nSTD 2.15 (simulated)\r\n>");
    // Settings, stores and an empty line answer with their echo alone.
    for (const char *command : {"T012346", "Save", ""})
        QTest::addRow("'%s'", command) << QByteArray(command) << command + QByteArray("\r\n>");
    QTest::newRow("PARAM") << QByteArray("PARAM")
                           << QByteArray("PARAM\r\nT0 = 30000\r\nR0 = 20000\r\nTS = 25000\r\n"
                                         "RS = 20000\r\nSpan = 2000\r\nRelay high = 800\r\n"
                                         "Relay low = 700\r\n>");
    const QByteArray error = "\r\nERROR\r\n>";
    // Unknown, lower-case save, a blank before the value, values too wide or out of range.
    for (const char *command : {"save", "T0 123", "RS1234567"})
        QTest::addRow("'%s'", command) << QByteArray(command) << command + error;
}

void SimulatorTest::repliesAreFramedByteForByte()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    SimLine line(calibratedSetup());
    QCOMPARE(line.command(command), reply);
}

void SimulatorTest::dataLineKeepsItsColumnsInEveryState_data()
{
    QTest::addColumn<double>("gas");
    QTest::addColumn<bool>("weakLamp");
    QTest::newRow("zero gas") << 0.0 << false;
    QTest::newRow("pure CO2, reading clamped") << 1e6 << false;
    QTest::newRow("weak lamp at room air") << 400.0 << true;
}

void SimulatorTest::dataLineKeepsItsColumnsInEveryState()
{
    QFETCH(double, gas);
    QFETCH(bool, weakLamp);
    TransmitterSetup setup = calibratedSetup(gas);
    setup.weakLamp = weakLamp;
    SimLine line(setup);
    for (int poll = 0; poll < 5; ++poll) {
        line.wait(2000);
        // "X", CR LF, 39 characters, CR LF, ">"; toolRecord checks the tabs.
        const QByteArray reply = line.command("X");
        QCOMPARE(reply.size(), 45);
        QVERIFY(reply.startsWith("X\r\n") && reply.endsWith("\r\n>") && reply[3 + 20] == ' ');
        const auto record = toolRecord(reply);
        QVERIFY(record && record->ppm >= 0 && record->average >= 0);
        // The tool warns of a weak source below 1000 counts.
        QCOMPARE(record->reference > 0 && record->reference < 1000, weakLamp);
    }
}

void SimulatorTest::onlyAStoreKeepsWrittenValuesOverARestart()
{
    SimLine line(calibratedSetup());
    const auto zeroAndRelay = [&line] { return line.command("T0") + line.command("RL"); };
    const QByteArray original = "T0\r\nT0 = 30000\r\n>RL\r\nRelay low = 700\r\n>";
    const QByteArray changed = "T0\r\nT0 = 31234\r\n>RL\r\nRelay low = 650\r\n>";
    for (const QByteArray store : {"SAVE", "Save"}) {
        line.send("T031234\rRL650\r" + store + "\rT029999\r");
        QCOMPARE(line.command("T0"), "T0\r\nT0 = 29999\r\n>");
        line.transmitter.restart();
        QCOMPARE(zeroAndRelay(), changed);
        line.send("T030000\rRL700\r" + store + "\r");
        line.transmitter.restart();
        QCOMPARE(zeroAndRelay(), original);
    }
    QCOMPARE(line.transmitter.storeCount(), 4);
}

void SimulatorTest::lineAssemblyCopesWithWhatArrives()
{
    SimLine line(calibratedSetup());
    // ETX and backspace answer nothing and drop a half-typed command.
    QCOMPARE(line.send("\x03"), QByteArray());
    QCOMPARE(line.send("T011111\x03"), QByteArray());
    QCOMPARE(line.send("T022222\x08"), QByteArray());
    QCOMPARE(line.command("T0"), "T0\r\nT0 = 30000\r\n>");
    QCOMPARE(line.transmitter.receive("\x03R0\r", 0.0).received.size(), std::size_t(2));

    // Parameter files end their lines with CR LF, and a line may arrive in
    // several reads.
    QCOMPARE(line.send("T0\r\nR0\r\n"), "T0\r\nT0 = 30000\r\n>R0\r\nR0 = 20000\r\n>");
    QCOMPARE(line.send("\nT"), QByteArray());
    QCOMPARE(line.send("S2"), QByteArray());
    QCOMPARE(line.send("4999\r"), "TS24999\r\n>");
    QCOMPARE(line.command("TS"), "TS\r\nTSpan = 24999\r\n>");

    QCOMPARE(line.send(QByteArray(1 << 20, 'A')), QByteArray());
    QCOMPARE(line.send("\r"), QByteArray(CommandAssembler::capacity, 'A') + "\r\nERROR\r\n>");

    // Whatever noise came before, ETX and a poll get a data line.
    std::mt19937 random(42);
    QByteArray garbage(200000, '\0');
    for (char &byte : garbage)
        byte = char(random());
    for (qsizetype at = 0; at < garbage.size(); at += 997)
        line.send(garbage.mid(at, 997));
    line.wait(2000);
    QVERIFY(toolRecord(line.send("\x03X\r")));
}

void SimulatorTest::silentAndRefusingTransmittersChangeNothing()
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

void SimulatorTest::repliesComeGarbledInPiecesOrLate()
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

void SimulatorTest::zeroAndSpanCalibrationMakeItReadTheGas()
{
    // With a gas 5 % below the transmitter's span.
    const double spanGas = 1900;
    TransmitterSetup setup;
    setup.seed = 3;
    SimLine line(setup);
    calibrate(line, spanGas);
    for (const double gas : {spanGas, 1000.0, 400.0}) {
        const double ppm = run(line, gas).average;
        QVERIFY2(std::abs(ppm - gas) < 5.0,
                 qPrintable(QStringLiteral("%1 ppm at %2").arg(ppm).arg(gas)));
    }
}

QTEST_GUILESS_MAIN(SimulatorTest)
#include "tst_simulator.moc"
