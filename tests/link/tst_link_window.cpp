// The link as the window shows it: the Com menu and the settings file it
// writes, the link's state in the status bar while a device vanishes and
// returns, the controls held while the line is in use, the line monitor.

#include "full_disk.h"
#include "link/line_log.h"
#include "shell/line_monitor.h"
#include "window_fixture.h"

#include <QAction>
#include <QMenu>

namespace {

int checkedComItem(const MainWindow &w)
{
    for (int n = 1; n <= 4; ++n)
        if (w.menuCom[size_t(n)]->isChecked())
            return n;
    return 0;
}

} // namespace

class LinkWindowTest : public QObject {
    Q_OBJECT

private slots:
    void comMenuWritesTheSettingsFileAndClosingDeletesIt()
    {
        WindowFixture f;
        writeFile(QStringLiteral("kestrin.ini"), "COM1:9600,N,8,1");
        f.start();
        MainWindow &w = f.w();
        // Choosing the open port again closes and reopens it; a backspace
        // wipes what the transmitter had half-read.
        for (int port : {3, 1, 1}) {
            w.menuCom[size_t(port)]->trigger();
            QCOMPARE(readFile(QStringLiteral("kestrin.ini")),
                     QStringLiteral("COM%1:9600,N,8,1").arg(port).toLatin1());
            QCOMPARE(checkedComItem(w), port);
        }
        QCOMPARE(f.fake.port.written, QByteArray("\x03\b\b\b"));
        QCOMPARE(f.fake.port.opens.mid(5), (QList<int> {3, 1, 1}));
        QCOMPARE(statusLine(w), QStringLiteral("Com Port is Open|black"));
        // A disk that takes four bytes and no more keeps the file as it was.
        {
            const FullDisk full(4);
            w.menuCom[2]->trigger();
        }
        QCOMPARE(readFile(QStringLiteral("kestrin.ini")), QByteArray("COM1:9600,N,8,1"));
        // A port that is not there: the open one is closed all the same.
        f.fake.port.existing.erase(4);
        w.menuCom[4]->trigger();
        QCOMPARE(f.fake.dialogs.messageTexts(),
                 QStringList({"Failed to save com settings", "The Com Port is not available"}));
        QCOMPARE(f.fake.desktop.beeps, 1);
        QVERIFY(!f.fake.port.isOpen() && checkedComItem(w) == 0 && w.menuCloseComPort->isEnabled());
        QCOMPARE(statusLine(w), QStringLiteral("Com Port is Open|black"));
        QCOMPARE(readFile(QStringLiteral("kestrin.ini")), QByteArray("COM1:9600,N,8,1"));
        // During a run the port items change nothing.
        w.menuCom[1]->trigger();
        w.session().SpanCalibrationRunning = true;
        for (QAction *item : {w.menuCom[2], w.menuCom[1], w.menuCloseComPort})
            item->trigger();
        QVERIFY(checkedComItem(w) == 1 && QFile::exists(QStringLiteral("kestrin.ini")));
        w.session().SpanCalibrationRunning = false;

        w.menuCloseComPort->trigger();
        QVERIFY(!QFile::exists(QStringLiteral("kestrin.ini")));
        QVERIFY(!w.menuCloseComPort->isEnabled());
        QCOMPARE(w.ppmDisplay->text() + u' ' + statusLine(w), "???? Com Port is Closed|red");
    }

    void linkStateFollowsTheTechnicianAndTheDevice_data()
    {
        QTest::addColumn<QByteArray>("settingsFile");
        QTest::addColumn<QStringList>("steps");
        // The link's state, the Com item checked (0: none), whether Close Com
        // Port is enabled, the ends of text sent (the start-up's included) and
        // whether the port is still tried.
        QTest::addColumn<QString>("shown");
        const QByteArray com1("COM1:9600,N,8,1");
        QTest::newRow("opened at start-up") << QByteArray("COM3:19200,e,7,2") << QStringList()
                                            << "COM3 on /dev/ttyFAKE3, 19200,E,7,2|3|1|1|0";
        QTest::newRow("device vanished")
            << com1 << QStringList {"vanish"}
            << "COM1 on /dev/ttyFAKE1: waiting for the device to return|0|1|1|1";
        QTest::newRow("device back") << com1 << QStringList {"vanish", "return"}
                                     << "COM1 on /dev/ttyFAKE1, 9600,N,8,1|1|1|2|0";
        QTest::newRow("another port chosen while waiting")
            << com1 << QStringList {"vanish", "Com2", "return"}
            << "COM2 on /dev/ttyFAKE2, 9600,N,8,1|2|1|1|0";
        QTest::newRow("closed while waiting")
            << com1 << QStringList {"vanish", "close", "return"} << "No Com port open|0|0|1|0";
        QTest::newRow("window closed while waiting")
            << com1 << QStringList {"vanish", "window", "return"} << "No Com port open|0|1|1|0";
    }

    void linkStateFollowsTheTechnicianAndTheDevice()
    {
        QFETCH(QByteArray, settingsFile);
        QFETCH(QStringList, steps);
        QFETCH(QString, shown);
        WindowFixture f;
        writeFile(QStringLiteral("kestrin.ini"), settingsFile);
        f.start();
        MainWindow &w = f.w();
        for (const QString &step : steps) {
            if (step == u"vanish") {
                f.fake.port.existing.erase(1);
                f.fake.port.vanish();
                f.fake.clock.advance(1500);
            } else if (step == u"return") {
                f.fake.port.existing.insert(1);
                f.fake.clock.advance(1000);
            } else if (step == u"close") {
                w.menuCloseComPort->trigger();
            } else if (step == u"window") {
                w.close();
            } else {
                w.menuCom[size_t(step.back().digitValue())]->trigger();
            }
        }
        const int attempts = f.fake.port.openAttempts;
        f.fake.clock.advance(3000);
        QCOMPARE(QStringLiteral("%1|%2|%3|%4|%5")
                     .arg(w.findChild<QLabel *>(QStringLiteral("linkState"))->text())
                     .arg(checkedComItem(w))
                     .arg(w.menuCloseComPort->isEnabled())
                     .arg(f.fake.port.written.count('\x03'))
                     .arg(f.fake.port.openAttempts > attempts),
                 shown);
    }

    void comItemsNameTheirDevices()
    {
        WindowFixture f;
        f.start();
        MainWindow &w = f.w();
        QVERIFY(w.menuComSettings->toolTipsVisible());
        // The ports are looked up as the menu opens, not at start-up.
        QVERIFY(w.menuCom[2]->statusTip().isEmpty());
        emit w.menuComSettings->aboutToShow();
        QCOMPARE(w.menuCom[2]->toolTip(),
                 QStringLiteral("COM2 on /dev/ttyFAKE2 (Fake USB serial, serial number FK2)"));
        QCOMPARE(w.menuCom[2]->statusTip(), w.menuCom[2]->toolTip());
        // The adapter is pulled out: the menu says so the next time it opens.
        f.fake.port.existing.erase(2);
        emit w.menuComSettings->aboutToShow();
        QCOMPARE(w.menuCom[2]->statusTip(), QStringLiteral("COM2 on /dev/ttyFAKE2"));
    }

    void oneExchangeAtATime()
    {
        LinkedWindowFixture f;
        f.startLinked();
        MainWindow &w = f.w();
        // The zero start's "T0" query is answered late; meanwhile the technician
        // clicks everything that would talk to the transmitter.
        f.transmitter.queue("T0", {{ScriptedTransmitter::frame("T0", "T0 = 30000")}, 300});
        f.fake.clock.schedule(100, [&] {
            w.SpanButton->click();
            w.menuCom[2]->trigger();
            w.menuCloseComPort->trigger();
            w.menuRelayTriggerPoint->trigger();
            w.menuOpenParameterFile->trigger();
            w.menuPrintTransmitterParameters->trigger();
            QVERIFY(!w.close());
            w.menu_kPa->trigger(); // talks to nobody: goes ahead
        });
        w.ZeroButton->click();
        QCOMPARE(f.transmitter.commands, (QList<QByteArray> {"T0", "R0"}));
        QCOMPARE(f.fake.desktop.beeps, 7);
        QVERIFY(f.fake.port.isOpen() && w.session().ZeroCalibrationRunning);
        QCOMPARE(w.PressureText->text(), QStringLiteral("101.30"));
        w.CancelButton->click();

        // A click during the poll's wait runs once the poll's reply is in; the
        // window closes after the poll, not in the middle of it.
        f.transmitter.answerRaw("X", {{ScriptedTransmitter::reading(20000, 30000, 400, 400)}, 200});
        f.fake.clock.schedule(2100, [&] { w.ZeroButton->click(); });
        f.poll();
        QCOMPARE(f.fake.desktop.beeps, 7);
        QCOMPARE(f.transmitter.commands.mid(2), (QList<QByteArray> {"X", "T0", "R0"}));
        QCOMPARE(w.ppmDisplay->text(), QStringLiteral("400"));
        w.CancelButton->click();
        w.show();
        f.fake.clock.schedule(2100, [&] { QVERIFY(!w.close()); });
        f.poll();
        QVERIFY(w.isHidden());
        QVERIFY(!f.fake.port.isOpen());
    }

    void lineMonitorShowsEveryByteWithItsTime()
    {
        LinkedWindowFixture f;
        const QByteArray reply = ScriptedTransmitter::reading(1234, 5678, 410, 412);
        f.transmitter.queue("X", {{reply.left(10), reply.mid(10)}, 5});
        f.transmitter.queue("X", {{"X\r\n\x1b>"}, 600}); // late: shown when it came
        f.startLinked();
        f.poll(2);
        f.fake.clock.advance(1234);
        f.w().menuCom[2]->trigger();
        const auto *monitor = f.w().findChild<LineMonitor *>(QStringLiteral("lineMonitor"));
        QVERIFY(monitor->isHidden());
        f.w().show();
        monitor->toggleViewAction()->trigger();
        QCOMPARE(monitor->shownText(),
                 QStringLiteral("14:05:00.000  -> <ETX>\n"
                                "14:05:02.000  -> X<CR>\n"
                                "14:05:02.005  <- X<CR><LF>  1234<TAB>  5678<TAB>   410    412"
                                "            <CR><LF>>\n"
                                "14:05:04.010  -> X<CR>\n"
                                "14:05:04.610  <- X<CR><LF><1B>>\n"
                                "14:05:05.744  -> <BS>"));
        // Open, it follows the line as it goes.
        f.w().menuCloseComPort->trigger();
        f.w().menuCom[1]->trigger();
        QVERIFY(monitor->shownText().endsWith(u"-> <BS>\n14:05:05.744  -> <BS>"));
        // The session's own notes stand among the traffic.
        f.script("T0", ScriptedTransmitter::frame("T0", "ERROR"));
        f.fake.dialogs.fileAnswers << writeParameterFile("T0\r\n");
        f.w().menuOpenParameterFile->trigger();
        QVERIFY(monitor->shownText().contains(u"  -- Download stopped at line 1 \"T0\""));

        // The log keeps its newest entries, none longer than its limit.
        LineLog log(3, 4);
        for (const char *bytes : {"X\r", "123456789", "Y\r"})
            log.record(bytes[0] == '1' ? LineDirection::In : LineDirection::Out, bytes, {});
        QCOMPARE(log.text(), QStringLiteral("  <- 5678\n  <- 9\n  -> Y<CR>\n"));
        // A note of the program's own is kept whole, on one line, and does not
        // join a reply still waiting for its prompt.
        log.record(LineDirection::In, "ab", {});
        log.record(LineDirection::Note, "Stopped at line 2 \"T0\u00b0\r\n\":", {});
        QCOMPARE(
            log.text(),
            QString::fromUtf8("  -> Y<CR>\n  <- ab\n  -- Stopped at line 2 \"T0\u00b0  \":\n"));
    }
};

QTEST_MAIN(LinkWindowTest)
#include "tst_link_window.moc"
