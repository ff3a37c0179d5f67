#include "tst_poll_on_pty.h"

#include "fake_platform.h"
#include "platform/qt_platform.h"
#include "platform/qt_serial_port.h"
#include "pseudo_terminal.h"
#include "scripted_transmitter.h"
#include "window_fixture.h"

#include <QTest>

#include <thread>

// The real serial port and the real event loop: a poll goes out on a
// pseudo-terminal and its reply, sent in two pieces, is gathered and shown.
void PollOnPtyTest::pollGathersAReplyInPiecesFromARealPort()
{
    TemporaryCurrentDir dir;
    PseudoTerminal line;
    QVERIFY(line.isValid());
    qputenv("KESTRIN_COM1", line.slavePath().toLocal8Bit());
    writeFile(QStringLiteral("kestrin.ini"), "COM1:9600,N,8,1");

    QtSerialPort port;
    FakeDialogs dialogs;
    FakeDesktop desktop;
    QtClock clock;
    FakePrinter printer;
    MainWindow window(Platform {port, dialogs, desktop, clock, printer});
    QCOMPARE(window.Status->text(), QStringLiteral("Com Port is Open"));
    QCOMPARE(line.read(), QByteArray("\x03"));

    const QByteArray reply = ScriptedTransmitter::reading(20000, 30000, 405, 455);
    QByteArray heard;
    std::thread transmitter([&] {
        heard = line.readUntil('\r', 2000);
        line.write(reply.left(20));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        line.write(reply.mid(20));
    });
    window.Timer1_Timer();
    transmitter.join();

    QCOMPARE(heard, QByteArray("X\r"));
    QCOMPARE(window.RxBuffer, reply.right(42));
    QCOMPARE(window.ppmDisplay->text(), QStringLiteral("460"));
    QCOMPARE(window.Status->text(), QStringLiteral("Serial Connection OK"));
    QCOMPARE(desktop.beeps, 0);
    qunsetenv("KESTRIN_COM1");
}

void PollOnPtyTest::silentLineTimesOutAfterHalfASecond()
{
    TemporaryCurrentDir dir;
    PseudoTerminal line;
    qputenv("KESTRIN_COM1", line.slavePath().toLocal8Bit());
    writeFile(QStringLiteral("kestrin.ini"), "COM1:9600,N,8,1");
    QtSerialPort port;
    FakeDialogs dialogs;
    FakeDesktop desktop;
    QtClock clock;
    FakePrinter printer;
    MainWindow window(Platform {port, dialogs, desktop, clock, printer});

    const qint64 start = clock.steadyMilliseconds();
    window.Timer1_Timer();
    const qint64 took = clock.steadyMilliseconds() - start;
    QVERIFY2(took >= 500 && took < 1500, qPrintable(QString::number(took)));
    QCOMPARE(window.Status->text(),
             QStringLiteral("Transmitter Not Responding, Check Com and Cables"));
    QCOMPARE(window.ppmDisplay->text(), QStringLiteral("????"));
    QVERIFY(window.Timer1->isEnabled());
    qunsetenv("KESTRIN_COM1");
}
