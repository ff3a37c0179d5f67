#include "tst_poll_on_pty.h"

#include "pseudo_terminal.h"
#include "real_port_window.h"
#include "scripted_transmitter.h"

#include <QTest>

#include <thread>

// The real serial port and the real event loop: a poll goes out on a
// pseudo-terminal and its reply, sent in two pieces, is gathered and shown.
void PollOnPtyTest::pollGathersAReplyInPiecesFromARealPort()
{
    TemporaryCurrentDir dir;
    PseudoTerminal line;
    QVERIFY(line.isValid());
    RealPortWindow program(line.slavePath());
    MainWindow &window = program.w();
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
    QCOMPARE(program.desktop.beeps, 0);
}

void PollOnPtyTest::silentLineTimesOutAfterHalfASecond()
{
    TemporaryCurrentDir dir;
    PseudoTerminal line;
    RealPortWindow program(line.slavePath());
    MainWindow &window = program.w();

    const qint64 start = program.clock.steadyMilliseconds();
    window.Timer1_Timer();
    const qint64 took = program.clock.steadyMilliseconds() - start;
    QVERIFY2(took >= 500 && took < 1500, qPrintable(QString::number(took)));
    QCOMPARE(window.Status->text(),
             QStringLiteral("Transmitter Not Responding, Check Com and Cables"));
    QCOMPARE(window.ppmDisplay->text(), QStringLiteral("????"));
    QVERIFY(window.Timer1->isEnabled());
}
