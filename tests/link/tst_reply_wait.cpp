#include "tst_reply_wait.h"

#include "window_fixture.h"

#include <QAction>
#include <QPushButton>
#include <QTest>

void ReplyWaitTest::replyInPiecesIsGatheredWhole()
{
    LinkedWindowFixture f;
    f.startLinked();
    f.fake.clock.schedule(10, [&] { f.fake.port.deliver("T0\r\nT0 = 12"); });
    f.fake.clock.schedule(30, [&] { f.fake.port.deliver("34\r\n>"); });
    const qint64 start = f.fake.clock.steadyMilliseconds();
    QVERIFY(f.w().WaitForReply(1000, '>'));
    QCOMPARE(f.w().RxBuffer, QByteArray("T0\r\nT0 = 1234\r\n>"));
    // It returns when the prompt arrives, not at the time-out.
    QCOMPARE(f.fake.clock.steadyMilliseconds() - start, 30);
    QVERIFY(f.w().Timer1->isEnabled());
    QVERIFY(!f.w().TimeOutTimer->isEnabled());
}

void ReplyWaitTest::replyNotEndingInPromptTimesOutWithTextKept()
{
    LinkedWindowFixture f;
    f.startLinked();
    f.fake.clock.schedule(10, [&] { f.fake.port.deliver("T0\r\n>\r\n"); });
    const qint64 start = f.fake.clock.steadyMilliseconds();
    QVERIFY(!f.w().WaitForReply(1000, '>'));
    QCOMPARE(f.w().RxBuffer, QByteArray("T0\r\n>\r\n"));
    QCOMPARE(f.fake.clock.steadyMilliseconds() - start, 1000);
    QVERIFY(f.w().Timer1->isEnabled());
    QVERIFY(!f.w().TimeOutTimer->isEnabled());
    QVERIFY(!f.w().ReplyTimedOut);
    // It slept instead of spinning: a handful of wake-ups, not thousands.
    QVERIFY(f.fake.clock.waits() < 10);
}

void ReplyWaitTest::lateReplyStandsAtStartOfNextBuffer()
{
    LinkedWindowFixture f;
    f.startLinked();
    f.fake.clock.schedule(600, [&] { f.fake.port.deliver("R0\r\nR0 = 5\r\n>"); });
    QVERIFY(!f.w().WaitForReply(500, '>'));
    QVERIFY(f.w().RxBuffer.isEmpty());
    f.fake.clock.advance(200);
    // The next exchange takes the late reply for its own.
    QVERIFY(f.w().WaitForReply(500, '>'));
    QCOMPARE(f.w().RxBuffer, QByteArray("R0\r\nR0 = 5\r\n>"));
}

void ReplyWaitTest::promptArrivingAtTheDeadlineCounts()
{
    LinkedWindowFixture f;
    f.startLinked();
    f.fake.clock.schedule(500, [&] { f.fake.port.deliver("X\r\n>"); });
    QVERIFY(f.w().WaitForReply(500, '>'));
}

void ReplyWaitTest::cancelDuringWaitStillEndsOnTime()
{
    LinkedWindowFixture f;
    f.startLinked();
    f.fake.clock.schedule(
        100, [&] { f.w().CancelButton->setEnabled(true), f.w().CancelButton->click(); });
    const qint64 start = f.fake.clock.steadyMilliseconds();
    QVERIFY(!f.w().WaitForReply(1000, '>'));
    QCOMPARE(f.fake.clock.steadyMilliseconds() - start, 1000);
    QVERIFY(!f.w().CancelButton->isEnabled());
    QVERIFY(f.w().Timer1->isEnabled());
}

void ReplyWaitTest::nestedWaitLeavesOuterDeadline()
{
    LinkedWindowFixture f;
    f.startLinked();
    bool inner = true;
    f.fake.clock.schedule(100, [&] { inner = f.w().WaitForReply(300, '>'); });
    const qint64 start = f.fake.clock.steadyMilliseconds();
    QVERIFY(!f.w().WaitForReply(1000, '>'));
    QVERIFY(!inner);
    QCOMPARE(f.fake.clock.steadyMilliseconds() - start, 1000);
}

void ReplyWaitTest::closedPortEndsTheWaitAtOnce()
{
    LinkedWindowFixture f;
    f.startLinked();
    f.fake.clock.schedule(50, [&] { f.fake.port.vanish(); });
    const qint64 start = f.fake.clock.steadyMilliseconds();
    QVERIFY(!f.w().WaitForReply(5000, '>'));
    QCOMPARE(f.fake.clock.steadyMilliseconds() - start, 50);
    QVERIFY(f.w().Timer1->isEnabled());
}

void ReplyWaitTest::clickDuringAnExchangeSendsNothing()
{
    LinkedWindowFixture f;
    f.startLinked();
    // The zero start's "T0" query is answered late; meanwhile the technician
    // clicks everything that would talk to the transmitter.
    f.transmitter.queue("T0", {{ScriptedTransmitter::frame("T0", "T0 = 30000")}, 300});
    f.transmitter.answer("R0", "R0 = 20000");
    f.fake.clock.schedule(100, [&] {
        f.w().SpanButton->click();
        f.w().menuCom[2]->trigger();
        f.w().menuCloseComPort->trigger();
        f.w().menuRelayTriggerPoint->trigger();
        f.w().menuOpenParameterFile->trigger();
        f.w().menuPrintTransmitterParameters->trigger();
        f.w().menuUndoZeroCalibration->setEnabled(true);
        f.w().menuUndoZeroCalibration->trigger();
        QVERIFY(!f.w().close());
        // These stay usable.
        f.w().menuAbout->trigger();
        f.w().menu_kPa->trigger();
        f.w().StatusFrame_DblClick();
    });
    f.w().ZeroButton->click();

    QCOMPARE(f.transmitter.commands, (QList<QByteArray> {"T0", "R0"}));
    QCOMPARE(f.fake.desktop.beeps, 8);
    QCOMPARE(f.fake.port.commPort(), 1);
    QVERIFY(f.fake.port.isOpen());
    // The outer operation went on undisturbed, and so does the poll.
    QVERIFY(f.w().ZeroCalibrationRunning);
    QCOMPARE(f.w().PreviousT0, QStringLiteral("30000"));
    QCOMPARE(f.w().PreviousR0, QStringLiteral("20000"));
    QVERIFY(f.fake.dialogs.messageTexts().contains(
        QStringLiteral("Calibrator Kestrin\r                    Version 6.10   ")));
    QVERIFY(f.w().RxLabel->isVisibleTo(&f.w()));
    f.poll();
    QCOMPARE(f.transmitter.commands.last(), QByteArray("X"));
    QCOMPARE(f.w().SampleCount, 1);
}

void ReplyWaitTest::clickDuringThePollRunsWhenItsReplyIsIn()
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

void ReplyWaitTest::closingDuringThePollWaitsForItsReply()
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
