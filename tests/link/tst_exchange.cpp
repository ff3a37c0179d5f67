// The command exchange: the reply wait, one exchange at a time, and the value
// replies of the command set.

#include "link/command_set.h"
#include "window_fixture.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

Q_DECLARE_METATYPE(Transmitter::Query)

class ExchangeTest : public QObject {
    Q_OBJECT

private slots:
    void waitEndsAtThePromptOrItsDeadline_data();
    void waitEndsAtThePromptOrItsDeadline();
    void lateReplyStandsAtStartOfNextBuffer();
    void clickDuringAnExchangeSendsNothing();
    void clickDuringThePollRunsWhenItsReplyIsIn();
    void closingDuringThePollWaitsForItsReply();
    void labelsStandAtFixedPositions_data();
    void labelsStandAtFixedPositions();
};

void ExchangeTest::waitEndsAtThePromptOrItsDeadline_data()
{
    // What happens during the wait, "milliseconds:bytes", or "cancel",
    // "nested" (a wait of 300 ms inside) or "vanish" (the device goes away).
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<int>("timeout");
    QTest::addColumn<bool>("replied");
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<int>("took");
    QTest::newRow("reply in pieces") << QStringList {"10:T0\r\nT0 = 12", "30:34\r\n>"} << 1000
                                     << true << QByteArray("T0\r\nT0 = 1234\r\n>") << 30;
    QTest::newRow("prompt not last, text kept")
        << QStringList {"10:T0\r\n>\r\n"} << 1000 << false << QByteArray("T0\r\n>\r\n") << 1000;
    QTest::newRow("prompt at the deadline")
        << QStringList {"500:X\r\n>"} << 500 << true << QByteArray("X\r\n>") << 500;
    QTest::newRow("cancel") << QStringList {"100:cancel"} << 1000 << false << QByteArray() << 1000;
    QTest::newRow("nested wait") << QStringList {"100:nested"} << 1000 << false << QByteArray()
                                 << 1000;
    QTest::newRow("closed port") << QStringList {"50:vanish"} << 5000 << false << QByteArray()
                                 << 50;
}

void ExchangeTest::waitEndsAtThePromptOrItsDeadline()
{
    QFETCH(QStringList, events);
    QFETCH(int, timeout);
    QFETCH(bool, replied);
    QFETCH(QByteArray, buffer);
    QFETCH(int, took);
    LinkedWindowFixture f;
    f.startLinked();
    MainWindow &w = f.w();
    bool innerReplied = false;
    for (const QString &event : events) {
        const QString what = event.section(u':', 1);
        f.fake.clock.schedule(event.section(u':', 0, 0).toInt(), [&, what] {
            if (what == u"cancel") {
                w.CancelButton->setEnabled(true);
                w.CancelButton->click();
            } else if (what == u"nested") {
                innerReplied = w.WaitForReply(std::chrono::milliseconds(300), '>');
            } else if (what == u"vanish") {
                f.fake.port.vanish();
            } else {
                f.fake.port.deliver(what.toLatin1());
            }
        });
    }
    const qint64 start = f.fake.clock.steadyMilliseconds();
    QCOMPARE(w.WaitForReply(std::chrono::milliseconds(timeout), '>'), replied);
    QCOMPARE(w.RxBuffer, buffer);
    QCOMPARE(f.fake.clock.steadyMilliseconds() - start, took);
    QVERIFY(!innerReplied);
    QVERIFY(w.Timer1->isEnabled());
    QVERIFY(!w.TimeOutTimer->isEnabled());
    QVERIFY(!w.ReplyTimedOut);
    QVERIFY(!w.CancelButton->isEnabled());
    // It slept instead of spinning: a handful of wake-ups, not thousands.
    QVERIFY(f.fake.clock.waits() < 10);
}

void ExchangeTest::lateReplyStandsAtStartOfNextBuffer()
{
    LinkedWindowFixture f;
    f.startLinked();
    f.fake.clock.schedule(600, [&] { f.fake.port.deliver("R0\r\nR0 = 5\r\n>"); });
    QVERIFY(!f.w().WaitForReply(std::chrono::milliseconds(500), '>'));
    QVERIFY(f.w().RxBuffer.isEmpty());
    f.fake.clock.advance(200);
    // The next exchange takes the late reply for its own.
    QVERIFY(f.w().WaitForReply(std::chrono::milliseconds(500), '>'));
    QCOMPARE(f.w().RxBuffer, QByteArray("R0\r\nR0 = 5\r\n>"));
}

void ExchangeTest::clickDuringAnExchangeSendsNothing()
{
    LinkedWindowFixture f;
    f.startLinked();
    MainWindow &w = f.w();
    // The zero start's "T0" query is answered late; meanwhile the technician
    // clicks everything that would talk to the transmitter.
    f.transmitter.queue("T0", {{ScriptedTransmitter::frame("T0", "T0 = 30000")}, 300});
    f.transmitter.answer("R0", "R0 = 20000");
    f.fake.clock.schedule(100, [&] {
        w.SpanButton->click();
        w.menuCom[2]->trigger();
        w.menuCloseComPort->trigger();
        w.menuRelayTriggerPoint->trigger();
        w.menuOpenParameterFile->trigger();
        w.menuPrintTransmitterParameters->trigger();
        w.menuUndoZeroCalibration->setEnabled(true);
        w.menuUndoZeroCalibration->trigger();
        QVERIFY(!w.close());
        // These stay usable.
        w.menuAbout->trigger();
        w.menu_kPa->trigger();
        w.StatusFrame_DblClick();
    });
    w.ZeroButton->click();

    QCOMPARE(f.transmitter.commands, (QList<QByteArray> {"T0", "R0"}));
    QCOMPARE(f.fake.desktop.beeps, 8);
    QCOMPARE(f.fake.port.commPort(), 1);
    QVERIFY(f.fake.port.isOpen());
    // The outer operation went on undisturbed, and so does the poll.
    QVERIFY(w.ZeroCalibrationRunning);
    QCOMPARE(w.PreviousT0 + u'/' + w.PreviousR0, QStringLiteral("30000/20000"));
    QVERIFY(f.fake.dialogs.messageTexts().contains(
        QStringLiteral("Calibrator Kestrin\r                    Version 6.10   ")));
    QCOMPARE(w.PressureText->text(), QStringLiteral("101.30"));
    QVERIFY(w.RxLabel->isVisibleTo(&w));
    f.poll();
    QCOMPARE(f.transmitter.commands.last(), QByteArray("X"));
    QCOMPARE(w.SampleCount, 1);
}

void ExchangeTest::clickDuringThePollRunsWhenItsReplyIsIn()
{
    LinkedWindowFixture f;
    f.startLinked();
    f.transmitter.answerRaw("X", {{ScriptedTransmitter::reading(20000, 30000, 400, 400)}, 200});
    f.transmitter.answer("T0", "T0 = 30000");
    f.transmitter.answer("R0", "R0 = 20000");
    f.fake.clock.schedule(2100, [&] { f.w().ZeroButton->click(); });
    f.poll();
    QCOMPARE(f.fake.desktop.beeps, 0);
    QCOMPARE(f.transmitter.commands, (QList<QByteArray> {"X", "T0", "R0"}));
    QVERIFY(f.w().ZeroCalibrationRunning);
    QCOMPARE(f.w().ppmDisplay->text(), QStringLiteral("400"));
}

void ExchangeTest::closingDuringThePollWaitsForItsReply()
{
    LinkedWindowFixture f;
    f.startLinked();
    f.w().show();
    f.transmitter.answerRaw("X", {{ScriptedTransmitter::reading(20000, 30000, 400, 400)}, 200});
    bool closed = true;
    f.fake.clock.schedule(2100, [&] { closed = f.w().close(); });
    f.poll();
    QVERIFY(!closed);
    QVERIFY(f.w().isHidden());
    QVERIFY(!f.fake.port.isOpen());
}

void ExchangeTest::labelsStandAtFixedPositions_data()
{
    using namespace Transmitter;
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<Query>("query");
    QTest::addColumn<QByteArray>("value"); // empty: no label
    QTest::newRow("T0") << QByteArray("T0\r\nT0 = 1234\r\n>") << ZeroT0 << QByteArray("1234");
    QTest::newRow("T0 lower case") << QByteArray("T0\r\nt0 = 1234\r\n>") << ZeroT0 << QByteArray();
    QTest::newRow("R0") << QByteArray("R0\r\nR0 = -20\r\n>") << ZeroR0 << QByteArray("-20");
    QTest::newRow("SPAN skips one")
        << QByteArray("SPAN\r\nSpan = x2000\r\n>") << SpanConcentration << QByteArray("2000");
    QTest::newRow("TS") << QByteArray("TS\r\nTSpan = 24828\r\n>") << SpanTS << QByteArray("24828");
    QTest::newRow("RS") << QByteArray("RS\r\nRSpan = 20000\r\n>") << SpanRS << QByteArray("20000");
    QTest::newRow("RH") << QByteArray("RH\r\nRelay high = 800\r\n>") << RelayHigh
                        << QByteArray("800");
    QTest::newRow("RL") << QByteArray("RL\r\nRelay low = 700\r\n>") << RelayLow
                        << QByteArray("700");
    QTest::newRow("short reply") << QByteArray("T0\r\n>") << ZeroT0 << QByteArray();
    QTest::newRow("error reply") << QByteArray("RH\r\nERROR\r\n>") << RelayHigh << QByteArray();
}

void ExchangeTest::labelsStandAtFixedPositions()
{
    QFETCH(QByteArray, reply);
    QFETCH(Transmitter::Query, query);
    QFETCH(QByteArray, value);
    QCOMPARE(Transmitter::hasLabel(reply, query), !value.isEmpty());
    if (!value.isEmpty()) {
        QCOMPARE(Transmitter::takeValue(reply, query), value);
        QVERIFY(!reply.endsWith('>')); // shortened in place
    }
}

QTEST_MAIN(ExchangeTest)
#include "tst_exchange.moc"
