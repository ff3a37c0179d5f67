#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The tool's side of the line: the link opened like a serial port.
class Port {
public:
    explicit Port(const QString &path)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios settings {};
        if (m_fd >= 0 && tcgetattr(m_fd, &settings) == 0) {
            cfmakeraw(&settings);
            tcsetattr(m_fd, TCSANOW, &settings);
        }
    }
    ~Port()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }
    // True once the far end has hung up: the line reads end of file or fails.
    bool hungUp()
    {
        pollfd fd {m_fd, POLLIN, 0};
        if (poll(&fd, 1, 2000) <= 0)
            return false;
        char byte;
        return (fd.revents & (POLLHUP | POLLERR)) || ::read(m_fd, &byte, 1) <= 0;
    }

    // Writes a command and gathers the reply up to its prompt, or what came
    // within two seconds.
    QByteArray exchange(const QByteArray &command)
    {
        if (::write(m_fd, command.constData(), size_t(command.size())) != command.size())
            return {};
        QByteArray reply;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!reply.endsWith('>') && std::chrono::steady_clock::now() < deadline) {
            pollfd fd {m_fd, POLLIN, 0};
            if (poll(&fd, 1, 100) <= 0)
                continue;
            char buffer[256];
            const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
            if (got > 0)
                reply.append(buffer, got);
        }
        return reply;
    }

private:
    int m_fd = -1;
};

} // namespace

// The real program on a real pseudo-terminal: the link, the framing, a port
// closed and opened again, and the clean-up.
class ProgramTest : public QObject {
    Q_OBJECT

private slots:
    void servesOnItsLinkAndRemovesItOnQuit();
    void unplugHangsUpAndReplugServesAgainBehindTheSameLink();
};

void ProgramTest::servesOnItsLinkAndRemovesItOnQuit()
{
    QTemporaryDir dir;
    const QString link = dir.filePath("ttyKESTRIN");
    const QString log = dir.filePath("sim.log");
    QProcess sim;
    sim.start(TRANSMITTER_SIM, {"--calibrated", "--log", log, link});
    QVERIFY(sim.waitForReadyRead(5000));
    QVERIFY(sim.readLine().startsWith("ready "));
    QVERIFY(QFileInfo(link).isSymLink());

    {
        Port port(link);
        QVERIFY(port.isOpen());
        const QByteArray reply = port.exchange("X\r");
        QCOMPARE(reply.size(), 45);
        QVERIFY(reply.startsWith("X\r\n"));
        QCOMPARE(reply[3 + 6], '\t');
        QCOMPARE(reply[3 + 13], '\t');
    }
    {
        // Opened again after the tool closed it, the line still works.
        Port port(link);
        QCOMPARE(port.exchange("T0\r"), QByteArray("T0\r\nT0 = 30000\r\n>"));
    }

    sim.write("quit\n");
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
    QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());

    QFile logFile(log);
    QVERIFY(logFile.open(QIODevice::ReadOnly));
    const QByteArray logText = logFile.readAll();
    QVERIFY(logText.contains(" RX \"X\\r\"\n"));
    QVERIFY(logText.contains(" RX \"T0\\r\"\n"));
}

void ProgramTest::unplugHangsUpAndReplugServesAgainBehindTheSameLink()
{
    QTemporaryDir dir;
    const QString link = dir.filePath("ttyKESTRIN");
    QProcess sim;
    sim.start(TRANSMITTER_SIM, {"--calibrated", link});
    QVERIFY(sim.waitForReadyRead(5000));
    QVERIFY(sim.readLine().startsWith("ready "));

    Port port(link);
    QVERIFY(port.exchange("T0\r").endsWith(">"));
    sim.write("unplug\n");
    QVERIFY(sim.waitForReadyRead(5000));
    QVERIFY(port.hungUp());
    QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo(link).isSymLink(), 2000);

    sim.readAll();
    sim.write("replug\n");
    QVERIFY(sim.waitForReadyRead(5000));
    QVERIFY(sim.readLine().startsWith("ok plugged in "));
    QVERIFY(QFileInfo(link).isSymLink());
    // The transmitter behind it kept its parameters: only the line was new.
    Port again(link);
    QCOMPARE(again.exchange("T0\r"), QByteArray("T0\r\nT0 = 30000\r\n>"));

    sim.write("quit\n");
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 0);
}

QTEST_GUILESS_MAIN(ProgramTest)
#include "tst_program.moc"
