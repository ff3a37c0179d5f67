#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A command written as the tool writes it; the reply gathered up to its prompt.
QByteArray exchange(QSerialPort &port, const QByteArray &command)
{
    port.write(command);
    QByteArray reply;
    while (!reply.endsWith('>') && port.waitForReadyRead(2000))
        reply += port.readAll();
    return reply;
}

} // namespace

// The real program on a real pseudo-terminal: the link, the framing, a port
// closed and opened again, a pulled adapter, and the clean-up.
class ProgramTest : public QObject {
    Q_OBJECT

private slots:
    void servesOnItsLinkThroughUnplugAndRemovesItOnQuit();
};

void ProgramTest::servesOnItsLinkThroughUnplugAndRemovesItOnQuit()
{
    QTemporaryDir dir;
    const QString link = dir.filePath("ttyKESTRIN");
    const QString log = dir.filePath("sim.log");
    const QByteArray t0 = "T0\r\nT0 = 30000\r\n>";
    QProcess sim;
    sim.start(TRANSMITTER_SIM, {"--calibrated", "--log", log, link});
    QVERIFY(sim.waitForReadyRead(5000));
    QVERIFY(sim.readLine().startsWith("ready "));
    QVERIFY(QFileInfo(link).isSymLink());

    QSerialPort port(link);
    QVERIFY(port.open(QIODevice::ReadWrite));
    const QByteArray reply = exchange(port, "X\r");
    QVERIFY(reply.size() == 45 && reply.startsWith("X\r\n"));
    QVERIFY(reply[3 + 6] == '\t' && reply[3 + 13] == '\t');
    // Opened again after the tool closed it, the line still works.
    port.close();
    QVERIFY(port.open(QIODevice::ReadWrite));
    QCOMPARE(exchange(port, "T0\r"), t0);

    sim.write("unplug\n");
    QTRY_VERIFY_WITH_TIMEOUT(port.error() != QSerialPort::NoError, 2000); // hung up
    QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo(link).isSymLink(), 2000);
    sim.readAll();
    sim.write("replug\n");
    QVERIFY(sim.waitForReadyRead(5000));
    QVERIFY(sim.readLine().startsWith("ok plugged in "));
    // The transmitter behind it kept its parameters: only the line was new.
    port.close();
    QVERIFY(port.open(QIODevice::ReadWrite));
    QCOMPARE(exchange(port, "T0\r"), t0);

    sim.write("quit\n");
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
    QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());
    QFile logFile(log);
    QVERIFY(logFile.open(QIODevice::ReadOnly));
    const QByteArray logText = logFile.readAll();
    QVERIFY(logText.contains(" RX \"X\\r\"\n") && logText.contains(" RX \"T0\\r\"\n"));
}

QTEST_GUILESS_MAIN(ProgramTest)
#include "tst_program.moc"
