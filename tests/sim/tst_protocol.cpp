#include "sim_line.h"

#include <QTest>

#include <random>

// What goes over the line, byte for byte, for every kind of command.
class ProtocolTest : public QObject {
    Q_OBJECT

private slots:
    void repliesAreFramedByteForByte_data();
    void repliesAreFramedByteForByte();
    void dataLineKeepsItsColumnsInEveryState_data();
    void dataLineKeepsItsColumnsInEveryState();
    void onlyAStoreKeepsWrittenValuesOverARestart();
    void lineAssemblyCopesWithWhatArrives();
};

void ProtocolTest::repliesAreFramedByteForByte_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("T0 query") << QByteArray("T0") << QByteArray("T0\r\nT0 = 30000\r\n>");
    // The value stands two places after "Span = ", at character 15.
    QTest::newRow("SPAN query") << QByteArray("SPAN") << QByteArray("SPAN\r\nSpan =  2000\r\n>");
    QTest::newRow("RH query") << QByteArray("RH") << QByteArray("RH\r\nRelay high = 800\r\n>");
    QTest::newRow("VER") << QByteArray("VER") << QByteArray("VER\r\nSTD 2.15 (simulated)\r\n>");
    // Settings, stores and an empty line answer with their echo alone.
    for (const char *command : {"T012346", "RL-50", "SAVE", "Save", "NOTEST", ""})
        QTest::addRow("'%s'", command) << QByteArray(command) << command + QByteArray("\r\n>");
    QTest::newRow("PARAM") << QByteArray("PARAM")
                           << QByteArray("PARAM\r\nT0 = 30000\r\nR0 = 20000\r\nTS = 25000\r\n"
                                         "RS = 20000\r\nSpan = 2000\r\nRelay high = 800\r\n"
                                         "Relay low = 700\r\n>");
    const QByteArray error = "\r\nERROR\r\n>";
    // Unknown, lower-case save, a blank before the value, values too wide or out of range.
    for (const char *command : {"HELLO", "save", "T0 123", "RS1234567", "SPAN1"})
        QTest::addRow("'%s'", command) << QByteArray(command) << command + error;
    QTest::newRow("NUL inside") << QByteArray("X\0", 2) << QByteArray("X\0", 2) + error;
}

void ProtocolTest::repliesAreFramedByteForByte()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    SimLine line(calibratedSetup());
    QCOMPARE(line.command(command), reply);
}

void ProtocolTest::dataLineKeepsItsColumnsInEveryState_data()
{
    QTest::addColumn<double>("gas");
    QTest::addColumn<bool>("weakLamp");
    QTest::newRow("zero gas") << 0.0 << false;
    QTest::newRow("pure CO2, reading clamped") << 1e6 << false;
    QTest::newRow("weak lamp at room air") << 400.0 << true;
}

void ProtocolTest::dataLineKeepsItsColumnsInEveryState()
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

void ProtocolTest::onlyAStoreKeepsWrittenValuesOverARestart()
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

void ProtocolTest::lineAssemblyCopesWithWhatArrives()
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

QTEST_GUILESS_MAIN(ProtocolTest)
#include "tst_protocol.moc"
