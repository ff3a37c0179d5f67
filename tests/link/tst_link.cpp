// The serial link of a session and its reading poll: a lost port and its
// return, the reply wait with its time-outs, which replies are readings, what
// the display makes of them, when the poll runs and how it fails. (The Com
// menu's choices are the window's tests.)

#include "measure/reading_record.h"
#include "session_fixture.h"

using std::chrono::milliseconds;

class LinkTest : public QObject {
    Q_OBJECT

private slots:
    void aDeviceLostDuringARunIsReopenedWhenItReturns()
    {
        SessionFixture f;
        f.s.NumberOfSamples = 2;
        f.start(CalibrationKind::Zero);
        f.poll();
        QCOMPARE(f.s.SampleCount, 1);
        f.forget();
        f.fake.port.existing.erase(1);
        f.fake.port.vanish();
        QCOMPARE(f.s.status().text + colourName(f.s.status().colour), "Com Port is Closedred");
        QCOMPARE(f.s.displayValue(), QStringLiteral("????"));
        QCOMPARE(f.fake.desktop.beeps, 1);
        QVERIFY(!f.s.calibrationRunning() && f.s.waitingForDevice());
        QCOMPARE(f.told, QStringList("cancelled||Zero calibration cancelled: nothing written"));

        // Once a second, and nothing on the line while the device is away.
        const int attempts = f.fake.port.openAttempts;
        f.fake.clock.advance(5000);
        QCOMPARE(f.fake.port.openAttempts, attempts + 5);
        QVERIFY(f.fake.port.written.isEmpty());

        // It comes back, but the first end-of-text does not get through.
        f.fake.port.existing.insert(1);
        f.fake.port.failWrites = true;
        f.fake.clock.advance(1000);
        QVERIFY(!f.s.isOpen());
        f.fake.port.failWrites = false;
        f.fake.clock.advance(1000);
        QVERIFY(f.s.isOpen() && !f.s.waitingForDevice());
        QCOMPARE(f.s.status().text + colourName(f.s.status().colour), "Com Port is Openblack");

        // Polls again; the broken run takes no sample and stores nothing.
        f.fake.clock.advance(6000);
        QCOMPARE(f.fake.port.writes, (QList<QByteArray> {"\x03", "X\r", "X\r", "X\r"}));
        QCOMPARE(f.s.status().text, QStringLiteral("Serial Connection OK"));
        QCOMPARE(f.s.displayValue(), QStringLiteral("400"));
        QVERIFY(!f.s.calibrationRunning());
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
        SessionFixture f;
        f.fake.clock.schedule(50, [&] {
            if (event == u"cancel")
                f.s.returnToIdle();
            else if (event == u"vanish")
                f.fake.port.vanish();
            else
                f.fake.port.deliver(event.toLatin1());
        });
        const qint64 start = f.fake.clock.steadyMilliseconds();
        QVERIFY(!f.s.WaitForReply(milliseconds(1000), '>'));
        QCOMPARE(f.s.RxBuffer, buffer);
        QCOMPARE(f.fake.clock.steadyMilliseconds() - start, took);
        QVERIFY(f.s.Timer1->isEnabled() && !f.s.TimeOutTimer->isEnabled() && !f.s.ReplyTimedOut);
        QVERIFY(f.fake.clock.waits() < 10);
    }

    void everyTimeOutHolds_data()
    {
        // An operation, the command whose reply comes `timeout` or one
        // millisecond more after it, and what shows that the reply was taken:
        // the next command, or a text the session shows.
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("replyText");
        QTest::addColumn<int>("timeout");
        QTest::addColumn<QString>("taken");
        const auto row = [](const char *operation, const char *command, const char *reply,
                            int timeout, const char *taken) {
            QTest::addRow("%s %s", operation, command)
                << QString(operation) << QByteArray(command) << QByteArray(reply) << timeout
                << QString(taken);
        };
        row("poll", "X", "", 500, "Serial Connection OK");
        row("store", "T0", "T0 = 30000", 1000, "R0");
        row("store", "T030000", "", 500, "R020000");
        row("store", "SAVE", "", 5000, "NOTEST");
        row("store", "NOTEST", "", 1000, "Zero Point Set And Saved");
        row("relay", "RH", "Relay high = 800", 1000, "RL");
        row("relay", "RH800", "", 1000, "RL700");
        row("relay", "Save", "", 5000, "Relay Trigger Point set and saved");
        row("download", "A", "", 5000, ""); // a lone carriage return follows the line
        row("print", "VER", "STD 1.23", 5000, "PARAM");
        row("print", "PARAM", "A 1", 5000, "Printing Completed");
    }

    void everyTimeOutHolds()
    {
        QFETCH(QString, operation);
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, replyText);
        QFETCH(int, timeout);
        QFETCH(QString, taken);
        for (const int delay : {timeout, timeout + 1}) {
            SessionFixture f;
            f.transmitter.answerRaw(command,
                                    {{ScriptedTransmitter::frame(command, replyText)}, delay});
            f.fake.dialogs.fileAnswers << writeParameterFile("A\r\n");
            if (operation == u"poll") {
                f.poll();
            } else if (operation == u"store") {
                f.run(CalibrationKind::Zero, {0});
            } else if (operation == u"relay") {
                f.s.setRelayTriggerPoints(); // on the levels it offers
            } else if (operation == u"download") {
                f.s.downloadParameterFile();
            } else {
                f.fake.dialogs.inputAnswers << QStringLiteral("Date") << QStringLiteral("M1 42");
                f.s.printParameters();
            }
            const qsizetype at = f.transmitter.commands.indexOf(command);
            QVERIFY(at >= 0);
            const bool tookIt = f.transmitter.commands.mid(at + 1).contains(taken.toLatin1())
                || f.messages().contains(taken) || f.s.status().text == taken;
            QVERIFY2(tookIt == (delay == timeout), qPrintable(QString::number(delay)));
        }
    }
    void recordShapeDecidesWhatIsRead_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QList<double>>("fields"); // empty: no record
        const QByteArray record = "  1234\t  5678\t   410    412   25.0 OK  \r\n>";
        const QList<double> read {1234, 5678, 410, 412};
        QTest::newRow("45 with echo cut") << "X\r\n" + record << read;
        QTest::newRow("44 with data at 3") << "X\r" + record.left(41) + ">" << QList<double> {};
        QTest::newRow("no prompt last") << record.left(41) + "\n" << QList<double> {};
        QTest::newRow("short record, letters read as 0")
            << QByteArray("  abcd\t -12.5\t1e2>") << QList<double> {0, -12.5, 100, 0};
    }

    void recordShapeDecidesWhatIsRead()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QList<double>, fields);
        cutToRecord(reply);
        QCOMPARE(hasRecordShape(reply), !fields.isEmpty());
        if (!fields.isEmpty()) {
            const Reading r = readRecord(reply);
            QCOMPARE((QList<double> {r.rx, r.tx, r.ppm, r.avg}), fields);
        }
    }

    void displayFollowsTheReading_data()
    {
        QTest::addColumn<double>("rx");
        QTest::addColumn<double>("tx");
        QTest::addColumn<double>("avg");
        QTest::addColumn<QString>("display"); // after a reading of 400 ppm
        QTest::addColumn<QString>("status");
        const auto row = [](const char *name, double rx, double tx, double avg, const char *display,
                            const char *status = "Serial Connection OK|black") {
            QTest::newRow(name) << rx << tx << avg << QString(display) << QString(status);
        };
        row("455 up", 20000, 30000, 455, "460 ppm");
        row("445 half away", 20000, 30000, 445, "450 ppm");
        row("454.9 down", 20000, 30000, 454.9, "450 ppm");
        row("9999.9 still ppm", 20000, 30000, 9999.9, "10000 ppm");
        row("10000 percent", 20000, 30000, 10000, "1.00 %");
        row("12345 percent", 20000, 30000, 12345, "1.23 %");
        // The unit stays as it was.
        row("no light", 0, 0, 400, ".... ppm");
        row("no CO2 signal", 20000, -5, 400, "---- ppm");
        row("negative reference: kept", -3, 0, 400, "400 ppm");
        // A weak IR signal is warned of, and the reading still shown.
        const char *weak = "Transmitter Failure, IR-signal Low!|red";
        row("IR 999 low", 999, 30000, 455, "460 ppm", weak);
        row("IR 1 low", 1, 30000, 455, "460 ppm", weak);
        row("IR 1000 enough", 1000, 30000, 455, "460 ppm");
    }

    void displayFollowsTheReading()
    {
        QFETCH(double, rx);
        QFETCH(double, tx);
        QFETCH(double, avg);
        QFETCH(QString, display);
        QFETCH(QString, status);
        SessionFixture f;
        f.readings({400});
        f.transmitter.setReading(rx, tx, 400, avg);
        f.poll();
        QCOMPARE(f.s.displayValue() + u' ' + f.s.displayUnit(), display);
        QCOMPARE(f.s.status().text + u'|' + colourName(f.s.status().colour), status);
        QCOMPARE(f.fake.desktop.beeps, status.endsWith(u"red") ? 1 : 0);
    }

    void pollRunsTwoSecondsAfterEachExchangeAndRecovers()
    {
        SessionFixture f;
        QList<qint64> sent;
        f.transmitter.onCommand
            = [&](const QByteArray &) { sent << f.fake.clock.steadyMilliseconds(); };
        f.transmitter.answerRaw("X", {{ScriptedTransmitter::reading(20000, 30000, 400, 400)}, 40});
        f.fake.clock.advance(4100);
        f.start(CalibrationKind::Zero);
        // A silent transmitter: the 500 ms time-out, a beep, the run ended.
        f.transmitter.silence("X");
        f.fake.clock.advance(4600);
        QCOMPARE(sent, (QList<qint64> {2000, 4040, 4100, 4105, 6110, 8610}));
        QCOMPARE(f.fake.desktop.beeps, 2);
        QCOMPARE(f.s.status().text + u'|' + colourName(f.s.status().colour),
                 QStringLiteral("Transmitter Not Responding, Check Com and Cables|red"));
        QCOMPARE(f.s.displayValue(), QStringLiteral("????"));
        QVERIFY(!f.s.calibrationRunning());
        // The poll goes on, and the session recovers by itself; a malformed
        // reply still shows the link as working and changes nothing else.
        f.transmitter.answer("X", "  1234 5678");
        f.poll(2);
        QCOMPARE(f.s.status().text, QStringLiteral("Serial Connection OK"));
        QCOMPARE(f.s.displayValue(), QStringLiteral("????"));
        f.readings({400});
        QCOMPARE(f.s.displayValue(), QStringLiteral("400"));
    }

    void pollsGoOnBehindTheEndOfARun()
    {
        SessionFixture f;
        f.s.NumberOfSamples = 1;
        f.start(CalibrationKind::Zero);
        // The technician leaves "Zero Point Set And Saved" open for 20 seconds.
        QStringList behindTheBox;
        f.fake.dialogs.whileOpen = [&](const ShownBox &box) {
            if (box.text != u"Zero Point Set And Saved")
                return;
            f.transmitter.setReading(20000, 30000, 400, 455);
            f.fake.clock.advance(20000);
            behindTheBox << f.s.status().text << f.s.displayValue();
        };
        f.forget();
        f.poll();
        QCOMPARE(f.transmitter.commands.count("X"), 10);
        QCOMPARE(f.transmitter.commands.count("SAVE"), 1);
        QCOMPARE(behindTheBox, QStringList({"Serial Connection OK", "460"}));
        QCOMPARE(f.s.SampleCount, 1);
        QVERIFY(!f.s.calibrationRunning());
    }
};

QTEST_MAIN(LinkTest)
#include "tst_link.moc"
