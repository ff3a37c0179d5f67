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
    void storeCommandsKeepTheWorkingValuesOverARestart();
    void parameterListingShowsTheWorkingValues();
    void controlCharactersAnswerNothingAndDropAHalfCommand();
    void lineFeedsAndSplitWritesDoNotChangeACommand();
    void overlongLineIsRejectedAndTheLineRecovers();
    void garbageNeverStopsTheTransmitterAnswering();
};

void ProtocolTest::repliesAreFramedByteForByte_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("T0 query") << QByteArray("T0") << QByteArray("T0\r\nT0 = 30000\r\n>");
    QTest::newRow("R0 query") << QByteArray("R0") << QByteArray("R0\r\nR0 = 20000\r\n>");
    QTest::newRow("TS query") << QByteArray("TS") << QByteArray("TS\r\nTSpan = 25000\r\n>");
    QTest::newRow("RS query") << QByteArray("RS") << QByteArray("RS\r\nRSpan = 20000\r\n>");
    // The value stands two places after "Span = ", at character 15.
    QTest::newRow("SPAN query") << QByteArray("SPAN") << QByteArray("SPAN\r\nSpan =  2000\r\n>");
    QTest::newRow("RH query") << QByteArray("RH") << QByteArray("RH\r\nRelay high = 800\r\n>");
    QTest::newRow("RL query") << QByteArray("RL") << QByteArray("RL\r\nRelay low = 700\r\n>");
    QTest::newRow("VER") << QByteArray("VER") << QByteArray("VER\r\nSTD 2.15 (simulated)\r\n>");
    QTest::newRow("T0 setting") << QByteArray("T012346") << QByteArray("T012346\r\n>");
    QTest::newRow("negative RL") << QByteArray("RL-50") << QByteArray("RL-50\r\n>");
    QTest::newRow("SPAN setting") << QByteArray("SPAN2500") << QByteArray("SPAN2500\r\n>");
    QTest::newRow("SAVE") << QByteArray("SAVE") << QByteArray("SAVE\r\n>");
    QTest::newRow("Save") << QByteArray("Save") << QByteArray("Save\r\n>");
    QTest::newRow("NOTEST") << QByteArray("NOTEST") << QByteArray("NOTEST\r\n>");
    QTest::newRow("lone CR") << QByteArray("") << QByteArray("\r\n>");
    const QByteArray error = "\r\nERROR\r\n>";
    QTest::newRow("unknown") << QByteArray("HELLO") << "HELLO" + error;
    QTest::newRow("lower-case save") << QByteArray("save") << "save" + error;
    QTest::newRow("trailing blank") << QByteArray("X ") << "X " + error;
    QTest::newRow("blank before value") << QByteArray("T0 123") << "T0 123" + error;
    QTest::newRow("decimal value") << QByteArray("T012.5") << "T012.5" + error;
    QTest::newRow("letters as value") << QByteArray("R0abc") << "R0abc" + error;
    QTest::newRow("value too wide") << QByteArray("RS1234567") << "RS1234567" + error;
    QTest::newRow("span of 1 ppm") << QByteArray("SPAN1") << "SPAN1" + error;
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
    QTest::addColumn<QByteArray>("setting");
    QTest::newRow("room air") << 400.0 << false << QByteArray();
    QTest::newRow("zero gas") << 0.0 << false << QByteArray();
    QTest::newRow("pure CO2, reading clamped") << 1e6 << false << QByteArray();
    QTest::newRow("weak lamp") << 400.0 << true << QByteArray();
    QTest::newRow("nonsense span point") << 400.0 << false << QByteArray("TS99999");
}

void ProtocolTest::dataLineKeepsItsColumnsInEveryState()
{
    QFETCH(double, gas);
    QFETCH(bool, weakLamp);
    QFETCH(QByteArray, setting);
    TransmitterSetup setup = calibratedSetup(gas);
    setup.weakLamp = weakLamp;
    SimLine line(setup);
    if (!setting.isEmpty())
        QCOMPARE(line.command(setting), setting + "\r\n>");

    for (int poll = 0; poll < 5; ++poll) {
        line.wait(2000);
        const QByteArray reply = line.command("X");
        QCOMPARE(reply.size(), 45);
        QVERIFY(reply.startsWith("X\r\n"));
        QVERIFY(reply.endsWith("\r\n>"));
        const QByteArray data = reply.mid(3, 39);
        QCOMPARE(data[6], '\t');
        QCOMPARE(data[13], '\t');
        QCOMPARE(data[20], ' ');
        const auto record = toolRecord(reply);
        QVERIFY(record);
        // The tool warns of a weak source below 1000 counts.
        QCOMPARE(record->reference > 0 && record->reference < 1000, weakLamp);
        QVERIFY(record->ppm >= 0 && record->average >= 0);
    }
}

void ProtocolTest::storeCommandsKeepTheWorkingValuesOverARestart()
{
    SimLine line(calibratedSetup());
    line.command("T031234");
    QCOMPARE(line.command("T0"), QByteArray("T0\r\nT0 = 31234\r\n>"));
    line.transmitter.restart();
    QCOMPARE(line.command("T0"), QByteArray("T0\r\nT0 = 30000\r\n>"));

    // Either store command keeps every working value, zero point and relay alike.
    for (const QByteArray store : {"SAVE", "Save"}) {
        line.command("T031234");
        line.command("RH1500");
        line.command(store);
        line.transmitter.restart();
        QCOMPARE(line.command("T0"), QByteArray("T0\r\nT0 = 31234\r\n>"));
        QCOMPARE(line.command("RH"), QByteArray("RH\r\nRelay high = 1500\r\n>"));
        line.command("T030000");
        line.command("RH800");
        line.command(store);
    }
    QCOMPARE(line.transmitter.storeCount(), 4);
}

void ProtocolTest::parameterListingShowsTheWorkingValues()
{
    SimLine line(calibratedSetup());
    line.command("T030100");
    line.command("RL650");
    QCOMPARE(line.command("PARAM"),
             QByteArray(
                 "PARAM\r\nT0 = 30100\r\nR0 = 20000\r\nTS = 25000\r\nRS = 20000\r\nSpan = 2000\r\n"
                 "Relay high = 800\r\nRelay low = 650\r\n>"));
}

void ProtocolTest::controlCharactersAnswerNothingAndDropAHalfCommand()
{
    SimLine line(calibratedSetup());
    QCOMPARE(line.send("\x03"), QByteArray());
    QCOMPARE(line.send("\x08"), QByteArray());
    QCOMPARE(line.send("T011111\x03"), QByteArray());
    QCOMPARE(line.send("T022222\x08"), QByteArray());
    QCOMPARE(line.command("T0"), "T0\r\nT0 = 30000\r\n>");
    const auto received = line.transmitter.receive("\x03R0\r", 0.0).received;
    QCOMPARE(received.size(), std::size_t(2));
    QCOMPARE(received[0].wire(), std::string("\x03"));
    QCOMPARE(received[1].wire(), std::string("R0\r"));
}

void ProtocolTest::lineFeedsAndSplitWritesDoNotChangeACommand()
{
    // Parameter files end their lines with CR LF, and a line may arrive in
    // several reads.
    SimLine line(calibratedSetup());
    QCOMPARE(line.send("T0\r\nR0\r\n"), "T0\r\nT0 = 30000\r\n>R0\r\nR0 = 20000\r\n>");
    QCOMPARE(line.send("\nT"), QByteArray());
    QCOMPARE(line.send("S2"), QByteArray());
    QCOMPARE(line.send("4999\r"), "TS24999\r\n>");
    QCOMPARE(line.command("TS"), "TS\r\nTSpan = 24999\r\n>");
}

void ProtocolTest::overlongLineIsRejectedAndTheLineRecovers()
{
    SimLine line(calibratedSetup());
    QCOMPARE(line.send(QByteArray(1 << 20, 'A')), QByteArray());
    QCOMPARE(line.send("\r"), QByteArray(CommandAssembler::capacity, 'A') + "\r\nERROR\r\n>");
    QCOMPARE(line.command("T0"), "T0\r\nT0 = 30000\r\n>");
}

void ProtocolTest::garbageNeverStopsTheTransmitterAnswering()
{
    SimLine line(calibratedSetup());
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
