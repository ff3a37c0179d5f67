// A transmitter that vanishes or floods the line, on the real serial port:
// the simulated transmitter unplugged in the middle of each operation that
// talks to it, and a far end that sends garbage without end. Every wait ends
// on time, nothing of it is taken for a reading or a success, and the window
// is left idle with the normal pointer.

#include "pty_link.h"
#include "real_port_window.h"
#include "simulator_process.h"

#include <QAction>
#include <QElapsedTimer>
#include <QTimer>

#include <atomic>
#include <thread>

class LineFaultsTest : public QObject {
    Q_OBJECT

private slots:
    void pulledAdapterEndsEachOperationCleanly_data();
    void pulledAdapterEndsEachOperationCleanly();
    void endlessGarbageIsNeverARead();
};

void LineFaultsTest::pulledAdapterEndsEachOperationCleanly_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("pulledAfter"); // milliseconds
    for (const char *operation : {"poll", "zero run", "span", "relay", "download", "printout"})
        QTest::newRow(operation) << QString::fromLatin1(operation) << 200;
    // The poll's reply comes after 400 ms, the store's "T0" is pulled away.
    QTest::newRow("zero store") << QStringLiteral("zero store") << 550;
}

void LineFaultsTest::pulledAdapterEndsEachOperationCleanly()
{
    QFETCH(QString, operation);
    QFETCH(int, pulledAfter);
    TemporaryCurrentDir dir;
    SimulatorProcess sim(QStringLiteral(TRANSMITTER_SIM));
    QVERIFY(sim.start({QStringLiteral("--calibrated")}));
    RealPortWindow program(sim.link());
    MainWindow &w = program.w();
    program.dialogs.inputAnswers << QStringLiteral("800") << QStringLiteral("700");
    w.NumberOfSamples = 2;
    if (operation == u"zero store") {
        w.NumberOfSamples = 1;
        w.ZeroButton_Click();
    } else if (operation == u"zero run") {
        w.ZeroButton_Click();
        w.Timer1_Timer();
    }
    // Each reply comes late; the adapter is pulled while the window waits.
    sim.control("fault slow 400");
    QTimer::singleShot(pulledAfter, [&] { sim.control("unplug"); });
    QElapsedTimer took;
    took.start();
    if (operation.startsWith(u"zero") || operation == u"poll") {
        w.Timer1_Timer();
    } else if (operation == u"span") {
        w.NewT0 = w.NewR0 = QStringLiteral("20000");
        w.SpanButton_Click();
    } else if (operation == u"relay") {
        w.menuRelayTriggerPoint_Click();
    } else if (operation == u"download") {
        program.dialogs.fileAnswers << writeParameterFile("RH800\r\nRL700\r\n");
        w.menuOpenParameterFile_Click();
    } else {
        program.dialogs.inputAnswers.clear();
        program.dialogs.inputAnswers << QStringLiteral("Date") << QStringLiteral("K-1 0042");
        w.menuPrintTransmitterParameters_Click();
    }
    // Not waited out: a download's or a printout's wait would take 5 s.
    QVERIFY2(took.elapsed() < 4000, qPrintable(QString::number(took.elapsed())));
    QTRY_VERIFY_WITH_TIMEOUT(!program.port.isOpen(), 2000);
    QVERIFY(isIdle(w) && !program.desktop.busy);
    QCOMPARE(statusColour(w.Status), 255);
    for (const QString &text : program.dialogs.messageTexts())
        QVERIFY2(!text.contains(u"saved", Qt::CaseInsensitive), qPrintable(text));
    QVERIFY(!w.menuUndoZeroCalibration->isEnabled() || operation == u"zero store");
}

void LineFaultsTest::endlessGarbageIsNeverARead()
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

QTEST_MAIN(LineFaultsTest)
#include "tst_line.moc"
