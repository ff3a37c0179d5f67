// The serial link as the window uses it: choosing and closing the port, the
// reply wait with its time-outs, one exchange at a time, the line monitor.

#include "link/line_log.h"
#include "shell/line_monitor.h"
#include "window_fixture.h"

#include <QAction>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using std::chrono::milliseconds;

namespace {

// Files written from now on fail past `bytes` (as on a full disk) instead of
// stopping the process; gives the limit to put back.
rlimit fileSizeLimit(rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit limited = old;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
    return old;
}

} // namespace

class LinkTest : public QObject {
    Q_OBJECT

private slots:
    void choosingAPortWritesOneBackspaceAndTheSettingsFile()
    {
        WindowFixture f;
        f.start();
        MainWindow &w = f.w();
        // Choosing the open port again closes and reopens it.
        for (int port : {3, 1, 1}) {
            w.menuCom[size_t(port)]->trigger();
            QCOMPARE(readFile(QStringLiteral("kestrin.ini")),
                     QStringLiteral("COM%1:9600,N,8,1").arg(port).toLatin1());
            for (int n = 1; n <= 4; ++n)
                QCOMPARE(w.menuCom[size_t(n)]->isChecked(), n == port);
        }
        QCOMPARE(f.fake.port.written, QByteArray("\b\b\b"));
        QCOMPARE(f.fake.port.opens.mid(4), (QList<int> {3, 1, 1}));
        QVERIFY(w.menuCloseComPort->isEnabled());
        QCOMPARE(w.Status->text(), QStringLiteral("Com Port is Open"));
        QCOMPARE(statusColour(w.Status), 0);
        QVERIFY(f.fake.dialogs.shown.isEmpty());
    }

    void aSettingsFileThatCannotBeWrittenKeepsTheOldPort()
    {
        WindowFixture f;
        writeFile(QStringLiteral("kestrin.ini"), "COM1:9600,N,8,1");
        f.start();
        // A disk that takes four bytes and no more.
        const auto restore = [old = fileSizeLimit(4)] { setrlimit(RLIMIT_FSIZE, &old); };
        f.w().menuCom[2]->trigger();
        restore();
        QCOMPARE(f.fake.dialogs.messageTexts(), QStringList {"Failed to save com settings"});
        QCOMPARE(readFile(QStringLiteral("kestrin.ini")), QByteArray("COM1:9600,N,8,1"));
        f.w().menuCom[2]->trigger();
        QCOMPARE(readFile(QStringLiteral("kestrin.ini")), QByteArray("COM2:9600,N,8,1"));
    }

    void missingPortClosesTheOpenOneAndClosingDeletesTheFile()
    {
        WindowFixture f;
        writeFile(QStringLiteral("kestrin.ini"), "COM1:9600,N,8,1");
        f.start();
        f.fake.port.existing.erase(4);
        f.w().menuCom[4]->trigger();
        QCOMPARE(f.fake.dialogs.messageTexts(), QStringList {"The Com Port is not available"});
        QCOMPARE(f.fake.desktop.beeps, 1);
        QVERIFY(!f.fake.port.isOpen());
        QVERIFY(!f.w().menuCom[1]->isChecked() && !f.w().menuCom[4]->isChecked());
        // The close item, the status line and the file stay as they were.
        QVERIFY(f.w().menuCloseComPort->isEnabled());
        QCOMPARE(f.w().Status->text(), QStringLiteral("Com Port is Open"));
        QCOMPARE(readFile(QStringLiteral("kestrin.ini")), QByteArray("COM1:9600,N,8,1"));

        f.w().menuCloseComPort->trigger();
        QVERIFY(!QFile::exists(QStringLiteral("kestrin.ini")));
        QVERIFY(!f.w().menuCloseComPort->isEnabled());
        QCOMPARE(f.w().ppmDisplay->text(), QStringLiteral("????"));
        QCOMPARE(f.w().Status->text(), QStringLiteral("Com Port is Closed"));
        QCOMPARE(statusColour(f.w().Status), 255);
    }

    void portItemsAreRefusedDuringARun()
    {
        for (int item : {2, 1, 0}) { // another port, the open one, Close Com Port
            WindowFixture f;
            writeFile(QStringLiteral("kestrin.ini"), "COM1:9600,N,8,1");
            f.start();
            MainWindow &w = f.w();
            w.session().SpanCalibrationRunning = true;
            (item ? w.menuCom[size_t(item)] : w.menuCloseComPort)->trigger();
            QCOMPARE(f.fake.dialogs.messageTexts(),
                     QStringList {"Not possible during calibration!"});
            QCOMPARE(f.fake.desktop.beeps, 1);
            QCOMPARE(f.fake.port.written, QByteArray("\x03"));
            QVERIFY(f.fake.port.isOpen() && w.menuCom[1]->isChecked()
                    && !w.menuCom[2]->isChecked());
            QVERIFY(QFile::exists(QStringLiteral("kestrin.ini")));
        }
    }

    // Without a prompt as its last byte, the reply wait ends at its deadline,
    // at Cancel, or at once when the device goes away; it sleeps meanwhile.
    void waitWithoutAReplyEnds_data()
    {
        QTest::addColumn<QString>("event"); // bytes, or "cancel" or "vanish", 50 ms in
        QTest::addColumn<QByteArray>("buffer");
        QTest::addColumn<int>("took");
        QTest::newRow("prompt not last, text kept") << "T0\r\n>\r\n"
                                                    << QByteArray("T0\r\n>\r\n") << 1000;
        QTest::newRow("cancel") << "cancel" << QByteArray() << 1000;
        QTest::newRow("device gone") << "vanish" << QByteArray() << 50;
    }
    void waitWithoutAReplyEnds()
    {
        QFETCH(QString, event);
        QFETCH(QByteArray, buffer);
        QFETCH(int, took);
        LinkedWindowFixture f;
        f.startLinked();
        MainWindow &w = f.w();
        f.fake.clock.schedule(50, [&] {
            if (event == u"cancel") {
                w.CancelButton->setEnabled(true);
                w.CancelButton->click();
            } else if (event == u"vanish") {
                f.fake.port.vanish();
            } else {
                f.fake.port.deliver(event.toLatin1());
            }
        });
        const qint64 start = f.fake.clock.steadyMilliseconds();
        QVERIFY(!w.session().WaitForReply(milliseconds(1000), '>'));
        QCOMPARE(w.session().RxBuffer, buffer);
        QCOMPARE(f.fake.clock.steadyMilliseconds() - start, took);
        QVERIFY(w.session().Timer1->isEnabled() && !w.session().TimeOutTimer->isEnabled()
                && !w.session().ReplyTimedOut);
        QVERIFY(f.fake.clock.waits() < 10);
    }

    void everyTimeOutHolds_data()
    {
        // An operation, the command whose reply comes `timeout` or one
        // millisecond more after it, and what shows that the reply was taken:
        // the next command, or a text the window shows.
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("replyText");
        QTest::addColumn<int>("timeout");
        QTest::addColumn<QString>("taken");
        QTest::newRow("poll") << "poll" << QByteArray("X") << QByteArray() << 500
                              << "Serial Connection OK";
        QTest::newRow("query") << "store" << QByteArray("T0") << QByteArray("T0 = 30000") << 1000
                               << "R0";
        QTest::newRow("value write")
            << "store" << QByteArray("T030000") << QByteArray() << 500 << "R020000";
        QTest::newRow("store") << "store" << QByteArray("SAVE") << QByteArray() << 5000 << "NOTEST";
        QTest::newRow("no test") << "store" << QByteArray("NOTEST") << QByteArray() << 1000
                                 << "Zero Point Set And Saved";
        QTest::newRow("relay query")
            << "relay" << QByteArray("RH") << QByteArray("Relay high = 800") << 1000 << "RL";
        QTest::newRow("relay write")
            << "relay" << QByteArray("RH800") << QByteArray() << 1000 << "RL700";
        QTest::newRow("relay store") << "relay" << QByteArray("Save") << QByteArray() << 5000
                                     << "Relay Trigger Point set and saved";
        QTest::newRow("download line")
            << "download" << QByteArray("A") << QByteArray() << 5000 << "";
        QTest::newRow("version") << "print" << QByteArray("VER") << QByteArray("STD 1.23") << 5000
                                 << "PARAM";
        QTest::newRow("listing") << "print" << QByteArray("PARAM") << QByteArray("A 1") << 5000
                                 << "Printing Completed";
    }

    void everyTimeOutHolds()
    {
        QFETCH(QString, operation);
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, replyText);
        QFETCH(int, timeout);
        QFETCH(QString, taken);
        for (const int delay : {timeout, timeout + 1}) {
            LinkedWindowFixture f;
            f.transmitter.setReading(20000, 30000, 0, 0);
            f.startLinked();
            MainWindow &w = f.w();
            f.transmitter.answerRaw(command,
                                    {{ScriptedTransmitter::frame(command, replyText)}, delay});
            if (operation == u"poll") {
                f.poll();
            } else if (operation == u"store") {
                w.session().NumberOfSamples = 1;
                w.ZeroButton->click();
                f.poll();
            } else if (operation == u"relay") {
                w.menuRelayTriggerPoint->trigger();
            } else if (operation == u"download") {
                f.fake.dialogs.fileAnswers << writeParameterFile("A\r\n");
                w.menuOpenParameterFile->trigger();
            } else {
                f.fake.dialogs.inputAnswers << QStringLiteral("Date") << QStringLiteral("M1 42");
                w.menuPrintTransmitterParameters->trigger();
            }
            const qsizetype at = f.transmitter.commands.indexOf(command);
            QVERIFY(at >= 0);
            // A lone carriage return (an empty command) follows the download's line.
            const bool tookIt = f.transmitter.commands.mid(at + 1).contains(taken.toLatin1())
                || f.fake.dialogs.messageTexts().contains(taken) || w.Status->text() == taken;
            QVERIFY2(tookIt == (delay == timeout), qPrintable(QString::number(delay)));
        }
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
        f.polls(2);
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

QTEST_MAIN(LinkTest)
#include "tst_link.moc"
