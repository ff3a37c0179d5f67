// The simulated transmitter: its replies byte for byte, and the faults it can
// be told to show. (The end-to-end tests read and calibrate it with the
// program itself.)

#include "sim_line.h"

#include <QTest>

class SimulatorTest : public QObject {
    Q_OBJECT

private slots:
    void repliesAreFramedByteForByte_data();
    void repliesAreFramedByteForByte();
    void silentAndRefusingTransmittersChangeNothing();
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
        QCOMPARE(line.command("X").size(), 45);
    }
}

QTEST_GUILESS_MAIN(SimulatorTest)
#include "tst_simulator.moc"
