// A far end that floods the real serial port with garbage without end: every
// wait ends on time, nothing of it is taken for a reading or a reply, and the
// window is left idle.

#include "pty_link.h"
#include "real_port_window.h"

#include <QElapsedTimer>

#include <atomic>
#include <thread>

class LineFaultsTest : public QObject {
    Q_OBJECT

private slots:
    void endlessGarbageIsNeverARead()
    {
        TemporaryCurrentDir dir;
        std::string error;
        const auto line = PtyLink::create(dir.path().toStdString() + "/ttyGARBAGE", error);
        QVERIFY2(line, error.c_str());
        RealPortWindow program(QString::fromStdString(line->linkPath()));
        MainWindow &w = program.w();
        // Megabytes of bytes without a tab or a prompt, faster than 9600 baud.
        std::atomic<bool> sending = true;
        std::thread flood([&] {
            std::string noise(4096, ' ');
            for (std::size_t i = 0; i < noise.size(); ++i)
                noise[i] = char(32 + (i * 7919) % 30);
            while (sending) {
                line->write(noise);
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
        QElapsedTimer took;
        took.start();
        w.Timer1_Timer();
        w.ZeroButton_Click();
        const qint64 elapsed = took.elapsed();
        sending = false;
        flood.join();
        // Each wait ends by its deadline, not never.
        QVERIFY2(elapsed < 10000, qPrintable(QString::number(elapsed)));
        QCOMPARE(w.Status->text(), QStringLiteral("Transmitter Not Responding, Check Com and Cables"));
        QVERIFY(!w.RxValue && isIdle(w));
        QCOMPARE(program.dialogs.messageTexts().last(),
                 QStringLiteral("Transmitter Is Not Responding, Check Com And Cables"));
    }
};

QTEST_MAIN(LineFaultsTest)
#include "tst_line.moc"
