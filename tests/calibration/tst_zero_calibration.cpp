// The zero calibration: its start, the store of a zero point, its undo, and
// the store and undo paths they share with the span calibration.

#include "tst_calibration.h"

#include "calibration_fixture.h"

void ZeroCalibrationTest::wholeZeroCalibrationAndItsUndo()
{
    CalibrationFixture f;
    f.w().NumberOfSamples = 2;
    f.w().ZeroButton->click();
    QCOMPARE(f.w().Status->text(), QStringLiteral("Wait..."));
    QVERIFY(!f.w().ZeroButton->isEnabled() && !f.w().SpanButton->isEnabled());
    QVERIFY(f.w().CancelButton->isEnabled());
    // Means of 23456 and 12345.5: the half goes away from zero on the wire.
    f.transmitter.setReading(23456, 12346, 0, 0);
    f.poll();
    f.transmitter.setReading(23456, 12345, 0, 0);
    f.poll();
    QVERIFY(isIdle(f.w()));
    QCOMPARE(f.w().NewT0, QStringLiteral("12346"));
    QCOMPARE(f.w().NewR0, QStringLiteral("23456"));
    QVERIFY(f.w().menuUndoZeroCalibration->isEnabled());

    f.w().menuUndoZeroCalibration->trigger();
    QVERIFY(!f.w().menuUndoZeroCalibration->isEnabled());
    // The undo leaves the last run's zero point for the span calibration.
    QCOMPARE(f.w().NewT0, QStringLiteral("12346"));

    COMPARE_GOLDEN(f.fake.port.written, "zero_calibration.wire");
    QCOMPARE(f.seen,
             QStringList({
                 "T0|Com Port is Open|black|normal",
                 "R0|Com Port is Open|black|normal",
                 "X|Wait...|black|normal",
                 "X|Sampling data for Zero Calibration (Sample 1 of  2)|blue|normal",
                 "T012346|Sampling data for Zero Calibration (Sample 2 of  2)|blue|normal",
                 "R023456|Sampling data for Zero Calibration (Sample 2 of  2)|blue|normal",
                 "SAVE|Saving Parameters|black|busy",
                 "NOTEST|Saving OK|blue|busy",
                 "T030000|Saving OK|blue|normal",
                 "R020000|Saving OK|blue|normal",
                 "SAVE|Saving Parameters|black|busy",
                 "NOTEST|Saving OK|blue|busy",
                 "NOTEST|Saving OK|blue|normal",
             }));
    QCOMPARE(boxes(f.fake.dialogs),
             QStringList({
                 "Are you ready with the zero gas?|OK+Cancel|question|app title",
                 "Zero Point Set And Saved|OK|no icon|app title",
                 "Undo Zero Calibration? Please Confirm!|OK+Cancel|question|app title",
                 "Zero Point Set And Saved|OK|no icon|app title",
             }));
    QVERIFY(!f.fake.desktop.busy);
    QCOMPARE(f.fake.desktop.beeps, 0);
}

void ZeroCalibrationTest::startNeedsBothZeroParameters_data()
{
    QTest::addColumn<QByteArray>("t0Reply"); // empty: no reply
    QTest::addColumn<QByteArray>("r0Reply");
    QTest::addColumn<QString>("previousT0");
    QTest::addColumn<QString>("message"); // empty: the run starts

    const QByteArray r0 = ScriptedTransmitter::frame("R0", "R0 = 20000");
    const QByteArray t0 = ScriptedTransmitter::frame("T0", "T0 = 30000");
    const QString failed = QStringLiteral("Failed to fetch current Zero parameters, try again");
    const QString silent = QStringLiteral("Transmitter Is Not Responding, Check Com And Cables");
    QTest::newRow("label after any four characters")
        << QByteArray("wxyzT0 = 12345.6ab>") << r0 << "12346" << QString();
    QTest::newRow("label one place late")
        << QByteArray("T0 \r\nT0 = 5\r\n>") << r0 << "old T0" << failed;
    // Kept for the undo, an empty or non-numeric value would go out as "T0"
    // alone (a query) or as "T0abc"; read as 0, 1e400 would go back as T00.
    for (const char *value : {"", "abc", "1e400"})
        QTest::addRow("T0 = '%s'", value)
            << ScriptedTransmitter::frame("T0", QByteArray("T0 = ") + value) << r0 << "old T0"
            << failed;
    QTest::newRow("no reply to T0") << QByteArray() << r0 << "old T0" << silent;
    QTest::newRow("no reply to R0") << t0 << QByteArray() << "30000" << silent;
    QTest::newRow("R0 label wrong")
        << t0 << ScriptedTransmitter::frame("R0", "T0 = 20000") << "30000" << failed;
}

void ZeroCalibrationTest::startNeedsBothZeroParameters()
{
    QFETCH(QByteArray, t0Reply);
    QFETCH(QByteArray, r0Reply);
    QFETCH(QString, previousT0);
    QFETCH(QString, message);
    CalibrationFixture f;
    f.w().PreviousT0 = QStringLiteral("old T0");
    f.w().PreviousR0 = QStringLiteral("old R0");
    f.script("T0", t0Reply);
    f.script("R0", r0Reply);
    f.w().ZeroButton->click();
    const bool started = message.isEmpty();
    QCOMPARE(f.w().ZeroCalibrationRunning, started);
    QCOMPARE(isIdle(f.w()), !started);
    QCOMPARE(f.w().PreviousT0, previousT0);
    QCOMPARE(f.w().PreviousR0, started ? QStringLiteral("20000") : QStringLiteral("old R0"));
    QStringList messages = f.fake.dialogs.messageTexts();
    messages.removeFirst(); // the question
    QCOMPARE(messages, started ? QStringList() : QStringList(message));
    // A silent transmitter beeps, a garbled reply does not.
    QCOMPARE(f.fake.desktop.beeps, message.startsWith(u"Transmitter") ? 1 : 0);
}

void ZeroCalibrationTest::cancelInTheQuestionSendsNothing()
{
    CalibrationFixture f;
    f.fake.dialogs.messageAnswers << MessageResult::Cancel;
    f.w().ZeroButton->click();
    QCOMPARE(f.fake.dialogs.shown.size(), 1);
    QVERIFY(f.fake.port.written.isEmpty());
    QVERIFY(isIdle(f.w()));
}

void ZeroCalibrationTest::storeStopsAtTheFirstFailure_data()
{
    QTest::addColumn<int>("failing"); // its place in the store's commands
    QTest::addColumn<bool>("refused"); // answered "ERROR" instead of nothing

    QTest::newRow("T0 value silent") << 1 << false;
    QTest::newRow("R0 value silent") << 2 << false;
    QTest::newRow("SAVE silent") << 3 << false;
    QTest::newRow("NOTEST silent") << 4 << false;
    QTest::newRow("R0 value refused") << 2 << true;
    QTest::newRow("SAVE refused") << 3 << true;
}

void ZeroCalibrationTest::storeStopsAtTheFirstFailure()
{
    QFETCH(int, failing);
    QFETCH(bool, refused);
    const QList<QByteArray> store {"X", "T030000", "R020000", "SAVE", "NOTEST"};
    CalibrationFixture f;
    const QByteArray command = store[failing];
    if (refused)
        f.transmitter.answerRaw(command, {{ScriptedTransmitter::frame(command, "ERROR")}});
    else
        f.transmitter.silence(command);
    f.w().NumberOfSamples = 1;
    f.w().ZeroButton->click();
    f.forget();
    f.poll();
    QCOMPARE(f.transmitter.commands, store.mid(0, failing + 1));
    QCOMPARE(f.w().Status->text(),
             refused ? QStringLiteral("Parameters not stored")
                     : QStringLiteral("Transmitter Not Responding, Check Com and Cables"));
    QCOMPARE(statusColour(f.w().Status), 255);
    // The busy pointer from the SAVE on, and never left behind.
    QCOMPARE(f.fake.desktop.pointerChanges,
             failing >= 3 ? QList<bool>({true, false}) : QList<bool>());
    QVERIFY(isIdle(f.w()));
    // Silence is told in the status line alone, a refusal with a box and a
    // beep; nothing may say the point was saved.
    const QString rejected = QStringLiteral("The transmitter rejected the parameters!\r"
                                            "They have not been saved.");
    QCOMPARE(f.fake.dialogs.messageTexts(), refused ? QStringList(rejected) : QStringList());
    QCOMPARE(f.fake.desktop.beeps, refused ? 1 : 0);
    QVERIFY(f.w().menuUndoZeroCalibration->isEnabled());
}

void ZeroCalibrationTest::undoWritesBackThePreviousPoint_data()
{
    QTest::addColumn<bool>("laterRun"); // the undo comes during a later run
    QTest::addColumn<QByteArray>("silent");
    QTest::addColumn<QList<QByteArray>>("sent");
    QTest::addColumn<int>("boxes");

    using C = QList<QByteArray>;
    // The store's own NOTEST is answered, the one after it is not.
    QTest::newRow("last NOTEST silent")
        << false << QByteArray("NOTEST") << C {"T030000", "R020000", "SAVE", "NOTEST", "NOTEST"}
        << 2;
    // Written back is what the run under way read, not the first run's.
    QTest::newRow("during a later run")
        << true << QByteArray() << C {"T031000", "R021000", "SAVE", "NOTEST", "NOTEST"} << 2;
    // A failed store ends the run under way.
    QTest::newRow("during a later run, no reply")
        << true << QByteArray("T031000") << C {"T031000", "NOTEST"} << 1;
}

void ZeroCalibrationTest::undoWritesBackThePreviousPoint()
{
    QFETCH(bool, laterRun);
    QFETCH(QByteArray, silent);
    QFETCH(QList<QByteArray>, sent);
    QFETCH(int, boxes);
    CalibrationFixture f;
    f.zeroCalibrate();
    if (laterRun) {
        f.transmitter.answer("T0", "T0 = 31000");
        f.transmitter.answer("R0", "R0 = 21000");
        f.w().NumberOfSamples = 100;
        f.w().ZeroButton->click();
        f.poll();
        f.forget();
    }
    if (silent == "NOTEST") {
        f.transmitter.queue("NOTEST", {{ScriptedTransmitter::frame("NOTEST")}});
        f.transmitter.queueSilence("NOTEST");
    } else if (!silent.isEmpty()) {
        f.transmitter.silence(silent);
    }
    f.w().menuUndoZeroCalibration->trigger();
    QCOMPARE(f.transmitter.commands, sent);
    const bool running = laterRun && silent.isEmpty();
    QCOMPARE(f.w().ZeroCalibrationRunning, running);
    QCOMPARE(isIdle(f.w()), !running);
    QVERIFY(!f.w().menuUndoZeroCalibration->isEnabled());
    // A silent transmitter is told in the status line alone.
    if (!silent.isEmpty())
        QCOMPARE(f.w().Status->text(),
                 QStringLiteral("Transmitter Not Responding, Check Com and Cables"));
    QCOMPARE(f.fake.dialogs.shown.size(), boxes);
    QCOMPARE(f.fake.desktop.beeps, 0);
}

void ZeroCalibrationTest::refusedWithoutSending_data()
{
    QTest::addColumn<int>("handler");
    QTest::addColumn<bool>("portOpen");
    QTest::addColumn<QString>("message");

    const QString closed = QStringLiteral("Com Port is not open!");
    QTest::newRow("Zero, port closed") << 0 << false << closed;
    QTest::newRow("Span, port closed") << 1 << false << closed;
    QTest::newRow("Undo, port closed") << 2 << false << closed;
    QTest::newRow("store, port closed") << 3 << false << "Com port not open";
    QTest::newRow("Span before Zero") << 1 << true << "Calibrate First The Zero Point";
}

void ZeroCalibrationTest::refusedWithoutSending()
{
    QFETCH(int, handler);
    QFETCH(bool, portOpen);
    QFETCH(QString, message);
    CalibrationFixture f;
    if (!portOpen)
        f.w().menuCloseComPort_Click();
    f.forget();
    QString first = QStringLiteral("12345.5"), second = QStringLiteral("20000.4");
    MainWindow &w = f.w();
    const std::function<void()> handlers[] = {
        [&] { w.ZeroButton_Click(); },
        [&] { w.SpanButton_Click(); },
        [&] { w.menuUndoZeroCalibration_Click(); },
        [&] { w.StoreZeroPoint(first, second); },
    };
    handlers[handler]();
    QCOMPARE(boxes(f.fake.dialogs), QStringList(message + "|OK|no icon|app title"));
    QCOMPARE(f.fake.desktop.beeps, 1);
    QVERIFY(f.fake.port.written.isEmpty());
    QVERIFY(isIdle(f.w()));
    // The values are left as they were.
    QCOMPARE(first, QStringLiteral("12345.5"));
}

void ZeroCalibrationTest::startingARunLeavesTheEntriesAlone()
{
    // Disabling the focused Zero button must not hand the focus to the span
    // gas entry with its text selected, where the next key would replace it.
    CalibrationFixture f;
    f.w().show();
    QVERIFY(QTest::qWaitForWindowActive(&f.w()));
    f.w().ZeroButton->setFocus();
    QTest::keyClick(f.w().ZeroButton, Qt::Key_Space);
    QVERIFY(f.w().ZeroCalibrationRunning);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("9 "));
    QCOMPARE(f.w().SpanGasConcentration->text(), QStringLiteral("2000"));
    QVERIFY(f.w().ZeroCalibrationRunning);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
    QVERIFY(!f.w().ZeroCalibrationRunning);
}
