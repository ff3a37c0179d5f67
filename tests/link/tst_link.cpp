// The serial link of a session: a lost port and its return, the reply wait
// with its time-outs. (The Com menu's choices are the window's tests.)

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
};

QTEST_MAIN(LinkTest)
#include "tst_link.moc"
