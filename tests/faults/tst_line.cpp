// A transmitter that vanishes or misbehaves on the real serial port, over a
// pseudo-terminal: the USB adapter pulled in the middle of each operation
// that talks to it, floods of garbage, a reply that never ends, bytes after
// the prompt, "ERROR" to every command. Nothing of it may be taken for a
// reading, a value or a success, every wait ends on time, and the window is
// left idle with the normal pointer.

#include "platform/qt_serial_port.h"
#include "real_port_window.h"
#include "test_main.h"
#include "window_fixture.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The far end of a pseudo-terminal that can be pulled out and plugged in
// again like a USB adapter: the device path (a symbolic link) stays, the
// terminal behind it is new. It answers in the test's own thread: the
// window's reply wait runs the event loop, and a socket notifier hands each
// command to `onCommand` there (unset, `answerWell` answers).
class PluggableTransmitter {
public:
    explicit PluggableTransmitter(const QString &path) : m_path(path) { plugIn(); }
    ~PluggableTransmitter()
    {
        m_notifier.reset();
        pullOut();
    }
    QString path() const { return m_path; }

    void pullOut()
    {
        // It may be the notifier whose signal is being delivered right now.
        if (m_notifier) {
            m_notifier->setEnabled(false);
            m_notifier.release()->deleteLater();
        }
        for (int fd : {m_slave, m_master})
            if (fd >= 0)
                ::close(fd);
        m_slave = m_master = -1;
        QFile::remove(m_path);
    }

    void plugIn()
    {
        pullOut();
        received.clear();
        commands.clear();
        m_partial.clear();
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
            return pullOut();
        const QByteArray slave = ptsname(m_master);
        // Our own descriptor of the slave side keeps the master readable while
        // the program has its port closed (it would read EIO without one).
        m_slave = ::open(slave.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios attributes {};
        tcgetattr(m_master, &attributes);
        cfmakeraw(&attributes);
        tcsetattr(m_master, TCSANOW, &attributes);
        fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
        QFile::link(QString::fromLocal8Bit(slave), m_path);
        m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { read(); });
    }

    void send(const QByteArray &bytes)
    {
        for (qsizetype sent = 0; m_master >= 0 && sent < bytes.size();) {
            const ssize_t n
                = ::write(m_master, bytes.constData() + sent, size_t(bytes.size() - sent));
            if (n < 0 && errno != EAGAIN)
                return;
            sent += qMax<ssize_t>(n, 0);
            // The terminal's buffer is full until the program reads: let it.
            if (n <= 0)
                QCoreApplication::processEvents();
        }
    }

    void answerWell(const QByteArray &command)
    {
        static const QMap<QByteArray, QByteArray> queries {
            {"T0", "T0 = 30000"},
            {"R0", "R0 = 20000"},
            {"SPAN", "Span =  2000"},
            {"TS", "TSpan = 25000"},
            {"RS", "RSpan = 20000"},
            {"RH", "Relay high = 800"},
            {"RL", "Relay low = 700"},
            {"VER", "STD 6.10"},
            {"PARAM", "T0 = 30000\r\nR0 = 20000\r\nSpan = 2000"},
        };
        // The control characters sent on opening a port get no answer.
        if (command == "X")
            send(ScriptedTransmitter::reading(rx, tx, ppm, avg));
        else if (command.size() > 1 || (!command.isEmpty() && command[0] >= ' '))
            send(ScriptedTransmitter::frame(command, queries.value(command)));
    }

    std::function<void(const QByteArray &command)> onCommand;
    QByteArray received; // every byte since the last plug-in
    // Every command since the last plug-in, without its carriage return; end
    // of text and backspace are commands of their own.
    QList<QByteArray> commands;
    double rx = 20000, tx = 30000, ppm = 405, avg = 455;

private:
    void read()
    {
        char buffer[4096];
        ssize_t n;
        while (m_master >= 0 && (n = ::read(m_master, buffer, sizeof buffer)) > 0) {
            received.append(buffer, n);
            for (const char c : QByteArrayView(buffer, n)) {
                if (c != '\x03' && c != '\b' && c != '\r') {
                    m_partial += c;
                    continue;
                }
                commands << (c == '\r' ? std::exchange(m_partial, {}) : QByteArray(1, c));
                onCommand ? onCommand(commands.last()) : answerWell(commands.last());
                if (m_master < 0) // the command pulled the plug
                    return;
            }
        }
    }

    QString m_path;
    int m_master = -1;
    int m_slave = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QByteArray m_partial;
};

// The real serial port, counting every write the window attempts, so a test
// can tell that nothing more was even tried after the device went away.
class WriteCountingPort : public QtSerialPort {
public:
    bool write(const QByteArray &data) override
    {
        attempts << data;
        return QtSerialPort::write(data);
    }
    QList<QByteArray> attempts;
};

// The pseudo-terminal's folder and its far end, set up before the window
// opens COM1 on it and gone only after the window.
struct PluggedLine {
    TemporaryCurrentDir dir;
    PluggableTransmitter transmitter {dir.path() + QStringLiteral("/ttyKESTRIN")};
};

// The real-port window with COM1 open on a pluggable transmitter.
struct LineFixture : PluggedLine, RealPortWindow<WriteCountingPort> {
    qsizetype writesWhenLost = -1; // the writes attempted until the port was lost

    LineFixture() : RealPortWindow(transmitter.path())
    {
        QObject::connect(&port, &SerialPort::lost,
                         [this] { writesWhenLost = port.attempts.size(); });
    }
    bool idle() const { return isIdle(*window) && !desktop.busy; }

    // A zero run begun and `samples` of it taken, before the fault arrives.
    void zeroRun(double numberOfSamples, int samples)
    {
        w().NumberOfSamples = numberOfSamples;
        w().ZeroButton_Click();
        for (int i = 0; i < samples; ++i)
            w().Timer1_Timer();
        dialogs.shown.clear();
    }

    // Starts what the technician does, as far as it gets.
    void perform(const QString &operation)
    {
        if (operation == u"poll") {
            w().Timer1_Timer();
        } else if (operation == u"zero") {
            w().ZeroButton_Click();
        } else if (operation == u"span") {
            w().NewT0 = QStringLiteral("30000");
            w().NewR0 = QStringLiteral("20000");
            w().SpanButton_Click();
        } else if (operation == u"undo") {
            w().PreviousT0 = QStringLiteral("30000");
            w().PreviousR0 = QStringLiteral("20000");
            w().menuUndoZeroCalibration->setEnabled(true);
            w().menuUndoZeroCalibration_Click();
        } else if (operation == u"relay") {
            dialogs.inputAnswers << QStringLiteral("800") << QStringLiteral("700");
            w().menuRelayTriggerPoint_Click();
        } else if (operation == u"download") {
            dialogs.fileAnswers << writeParameterFile("RH800\r\nRL700\r\nT0\r\n");
            w().menuOpenParameterFile_Click();
        } else if (operation == u"printout") {
            dialogs.inputAnswers << QStringLiteral("Date 2026-12-06 Time 14:05")
                                 << QStringLiteral("K-1 0042");
            w().menuPrintTransmitterParameters_Click();
        }
    }
};

const QString notResponding = QStringLiteral("Transmitter Is Not Responding, Check Com And Cables");
const QString notRespondingStatus
    = QStringLiteral("Transmitter Not Responding, Check Com and Cables");
const QString portClosed = QStringLiteral("Com Port is Closed");
const QString connectionOk = QStringLiteral("Serial Connection OK");
const QString zeroNotFetched = QStringLiteral("Failed to fetch current Zero parameters, try again");
const QString zeroGas = QStringLiteral("Are you ready with the zero gas?");

} // namespace

class LineFaultsTest : public QObject {
    Q_OBJECT

private slots:
    void pulledAdapterEndsTheOperationCleanly_data();
    void pulledAdapterEndsTheOperationCleanly();
    void badRepliesAreNeverTaken_data();
    void badRepliesAreNeverTaken();
    void readingsNoFieldCanHoldAreNeverStored();
    void errorToEverythingIsNeverTakenForSuccess_data();
    void errorToEverythingIsNeverTakenForSuccess();
};

void LineFaultsTest::pulledAdapterEndsTheOperationCleanly_data()
{
    QTest::addColumn<int>("samples"); // of a zero run, before the operation; -1: no run
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QByteArray>(
        "pulledAt"); // the command at which it goes; "R0=": R0 with a value
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("messages"); // after the confirmation, if one is asked

    QTest::newRow("poll") << -1 << "poll" << QByteArray("X") << portClosed << QStringList();
    QTest::newRow("zero run") << 1 << "poll" << QByteArray("X") << portClosed << QStringList();
    QTest::newRow("zero point between T0 and SAVE")
        << 0 << "poll" << QByteArray("R0=") << notRespondingStatus << QStringList();
    QTest::newRow("span start") << -1 << "span" << QByteArray("TS") << portClosed
                                << QStringList {notResponding};
    QTest::newRow("download") << -1 << "download" << QByteArray("RL700")
                              << "Transmitter Is Not Responding!" << QStringList();
    QTest::newRow("relay save") << -1 << "relay" << QByteArray("Save") << portClosed
                                << QStringList {notResponding};
    QTest::newRow("printout") << -1 << "printout" << QByteArray("PARAM") << portClosed
                              << QStringList {"Transmitter Not Responding, Check Com And Cables"};
}

void LineFaultsTest::pulledAdapterEndsTheOperationCleanly()
{
    QFETCH(int, samples);
    QFETCH(QString, operation);
    QFETCH(QByteArray, pulledAt);
    QFETCH(QString, status);
    QFETCH(QStringList, messages);

    LineFixture f;
    MainWindow &w = f.w();
    QVERIFY(f.port.isOpen());
    if (samples >= 0)
        f.zeroRun(samples + 1, samples);
    const auto isPulledAt = [&](const QByteArray &command) {
        return pulledAt == "R0=" ? command.startsWith("R0") && command.size() > 2
                                 : command == pulledAt;
    };
    f.transmitter.onCommand = [&](const QByteArray &command) {
        isPulledAt(command) ? f.transmitter.pullOut() : f.transmitter.answerWell(command);
    };
    f.perform(operation);

    QVERIFY2(f.writesWhenLost >= 0, "the port never reported the device lost");
    QVERIFY(isPulledAt(f.transmitter.commands.last()));
    QCOMPARE(f.port.attempts.size(), f.writesWhenLost);
    QVERIFY(!f.port.isOpen());
    QCOMPARE(w.Status->text(), status);
    QCOMPARE(statusColour(w.Status), int(StatusColour::Red));
    const bool confirmed = QStringList {"span", "download", "relay"}.contains(operation);
    QCOMPARE(f.dialogs.messageTexts().mid(confirmed ? 1 : 0), messages);
    QVERIFY(f.idle());
    QCOMPARE(f.printer.documentsEnded, 0);
    // The undo item is enabled whether storing the zero point succeeded or not.
    QCOMPARE(w.menuUndoZeroCalibration->isEnabled(), samples == 0);
    QVERIFY(!w.menuCloseComPort->isEnabled() && !w.menuCom[1]->isChecked());
    QVERIFY(w.Timer1->isEnabled());

    // The adapter is plugged in again and the technician chooses the port.
    f.transmitter.onCommand = nullptr;
    f.transmitter.plugIn();
    w.menuCom[1]->trigger();
    QVERIFY(f.port.isOpen() && w.menuCom[1]->isChecked());
    QCOMPARE(w.Status->text(), QStringLiteral("Com Port is Open"));
    w.Timer1_Timer();
    QCOMPARE(w.Status->text(), connectionOk);
    QCOMPARE(w.ppmDisplay->text(), QStringLiteral("460"));
    // Nothing of the interrupted operation follows on the new line.
    QCOMPARE(f.transmitter.received, QByteArray("\bX\r"));
}

void LineFaultsTest::badRepliesAreNeverTaken_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QByteArray>("command"); // whose reply is spoiled
    QTest::addColumn<QString>("how"); // the bytes replace the reply, follow it, or go on and on
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("messages");

    // 64 KiB of noise; the same every run.
    QRandomGenerator random(7);
    QByteArray noise(64 * 1024, Qt::Uninitialized);
    for (char &c : noise)
        c = char(random.bounded(256));
    QTest::newRow("poll, garbage with the prompt last")
        << "poll" << QByteArray("X") << "instead" << noise + ">" << connectionOk << QStringList();
    QTest::newRow("poll, garbage without prompt")
        << "poll" << QByteArray("X") << "instead" << noise << notRespondingStatus << QStringList();
    QTest::newRow("zero parameters, garbage")
        << "zero" << QByteArray("T0") << "instead" << noise + ">" << connectionOk
        << QStringList {zeroGas, zeroNotFetched};
    QTest::newRow("poll, a reply that never ends")
        << "poll" << QByteArray("X") << "endless" << QByteArray("0123456789abcdef\r\n")
        << notRespondingStatus << QStringList();
    // The prompt is not the last character: the wait runs to its end.
    QTest::newRow("poll, bytes after the prompt")
        << "poll" << QByteArray("X") << "after" << QByteArray("\r\n") << notRespondingStatus
        << QStringList();
    // A stray prompt after the T0 value, with the reply or before the next.
    QTest::newRow("zero parameters, another prompt after the reply")
        << "zero" << QByteArray("T0") << "after" << QByteArray("5\r\n>") << connectionOk
        << QStringList {zeroGas, zeroNotFetched};
}

void LineFaultsTest::badRepliesAreNeverTaken()
{
    QFETCH(QString, operation);
    QFETCH(QByteArray, command);
    QFETCH(QString, how);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, status);
    QFETCH(QStringList, messages);

    LineFixture f;
    MainWindow &w = f.w();
    w.Timer1_Timer();
    QCOMPARE(w.ppmDisplay->text(), QStringLiteral("460"));
    f.transmitter.avg = 1234;
    QTimer stream;
    QObject::connect(&stream, &QTimer::timeout, [&] { f.transmitter.send(bytes); });
    f.transmitter.onCommand = [&](const QByteArray &sent) {
        if (sent != command || how == u"after")
            f.transmitter.answerWell(sent);
        if (sent == command && how == u"endless")
            stream.start(1);
        else if (sent == command)
            f.transmitter.send(bytes);
    };
    QElapsedTimer took;
    took.start();
    f.perform(operation);
    // Every wait ends (the bound is loose: only a wait that never ends may
    // fail it on a loaded machine); without a prompt last it runs to its end.
    QVERIFY2(took.elapsed() < 10000 && (status == connectionOk || took.elapsed() >= 450),
             qPrintable(QString::number(took.elapsed())));

    QCOMPARE(w.Status->text(), status);
    QCOMPARE(w.ppmDisplay->text(), status == connectionOk ? QStringLiteral("460") : "????");
    QCOMPARE(w.RxLabel->text(), QStringLiteral("20000"));
    QCOMPARE(w.avgValue, std::optional<double>(455));
    QCOMPARE(f.dialogs.messageTexts(), messages);
    QVERIFY(f.idle());
    // The zero start went no further than asking for T0.
    QCOMPARE(f.transmitter.commands.last(), command);

    // The next reply is read whole, whatever was left before it.
    stream.stop();
    f.transmitter.onCommand = nullptr;
    w.Timer1_Timer();
    QCOMPARE(w.Status->text(), connectionOk);
    QCOMPARE(w.ppmDisplay->text(), QStringLiteral("1230"));
}

void LineFaultsTest::readingsNoFieldCanHoldAreNeverStored()
{
    LineFixture f;
    // Six characters can hold an exponent: a garbled line can pass the record
    // check with a signal of 9e99, and a one-sample run takes it as its mean.
    f.transmitter.tx = 9e99;
    f.zeroRun(1, 0);
    f.transmitter.commands.clear();
    f.w().Timer1_Timer();

    QCOMPARE(f.w().TxValue, std::optional<double>(9e99));
    QCOMPARE(f.transmitter.commands, QList<QByteArray> {"X"});
    QCOMPARE(f.dialogs.messageTexts(),
             QStringList {"The new values are outside what the transmitter can hold (-99999 to "
                          "999999).\rNothing has been sent."});
    QCOMPARE(f.w().Status->text(), QStringLiteral("Parameters not stored"));
    QVERIFY(f.idle());
}

void LineFaultsTest::errorToEverythingIsNeverTakenForSuccess_data()
{
    QTest::addColumn<int>("samples"); // of a one-sample zero run, before; -1: no run
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QList<QByteArray>>("sent");
    QTest::addColumn<QString>("message"); // the last box shown

    const QString rejected
        = QStringLiteral("The transmitter rejected the parameters!\rThey have not been saved.");
    QTest::newRow("poll") << -1 << "poll" << QList<QByteArray> {"X"} << QString();
    QTest::newRow("zero start") << -1 << "zero" << QList<QByteArray> {"T0"} << zeroNotFetched;
    QTest::newRow("span start") << -1 << "span" << QList<QByteArray> {"SPAN"}
                                << "Failed to fetch current Span, try again";
    QTest::newRow("zero undo") << -1 << "undo" << QList<QByteArray> {"T030000", "NOTEST"}
                               << rejected;
    QTest::newRow("zero run end") << 0 << "poll" << QList<QByteArray> {"X", "T030000"} << rejected;
    QTest::newRow("relay")
        << -1 << "relay" << QList<QByteArray> {"RH", "RL", "RH800"}
        << "The transmitter rejected the relay settings!\rThey have not been saved.";
    QTest::newRow("download") << -1 << "download" << QList<QByteArray> {"RH800"}
                              << "Error during sending the parameters!\rSending is aborted!";
}

void LineFaultsTest::errorToEverythingIsNeverTakenForSuccess()
{
    QFETCH(int, samples);
    QFETCH(QString, operation);
    QFETCH(QList<QByteArray>, sent);
    QFETCH(QString, message);

    LineFixture f;
    f.w().Timer1_Timer();
    if (samples >= 0)
        f.zeroRun(1, samples);
    f.transmitter.commands.clear();
    f.dialogs.shown.clear();
    // The sample of a run is read; the store that follows is refused.
    f.transmitter.onCommand = [&](const QByteArray &command) {
        if (samples >= 0 && command == "X")
            f.transmitter.answerWell(command);
        else
            f.transmitter.send(ScriptedTransmitter::frame(command, "ERROR"));
    };
    f.perform(operation);

    QCOMPARE(f.transmitter.commands, sent);
    const QStringList shown = f.dialogs.messageTexts();
    QCOMPARE(shown.value(shown.size() - 1), message);
    QVERIFY(f.idle());
    QVERIFY(f.port.isOpen());
    QVERIFY(samples < 0 || f.w().menuUndoZeroCalibration->isEnabled());
    for (const QString &text : shown)
        QVERIFY2(!text.contains(u"saved", Qt::CaseInsensitive) || text.contains(u"not been saved"),
                 qPrintable(text));
    // Another form of reply to a poll: the link works, the reading stays.
    if (sent == QList<QByteArray> {"X"}) {
        QCOMPARE(f.w().Status->text(), connectionOk);
        QCOMPARE(f.w().ppmDisplay->text(), QStringLiteral("460"));
    }
}

int main(int argc, char *argv[])
{
    return runTests<LineFaultsTest>(argc, argv);
}

#include "tst_line.moc"
