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
    QVERIFY(f.idle());
    QCOMPARE(f.w().NewT0, QStringLiteral("12346"));
    QCOMPARE(f.w().NewR0, QStringLiteral("23456"));
    QVERIFY(f.w().menuUndoZeroCalibration->isEnabled());

    f.w().menuUndoZeroCalibration->trigger();
    QVERIFY(!f.w().menuUndoZeroCalibration->isEnabled());
    // The undo leaves the last run's zero point for the span calibration.
    QCOMPARE(f.w().NewT0, QStringLiteral("12346"));

    const QString wire = differenceFromGolden(f.fake.port.written, "zero_calibration.wire");
    QVERIFY2(wire.isEmpty(), qPrintable(wire));
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
    QTest::addColumn<bool>("started");
    QTest::addColumn<QString>("previousT0");
    QTest::addColumn<QString>("previousR0");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("beeps");

    const QByteArray r0 = ScriptedTransmitter::frame("R0", "R0 = 20000");
    const QString failed = QStringLiteral("Failed to fetch current Zero parameters, try again");
    const QString silent = QStringLiteral("Transmitter Is Not Responding, Check Com And Cables");
    QTest::newRow("label after any four characters")
        << QByteArray("wxyzT0 = 12345.6ab>") << r0 << true << "12346"
        << "20000" << QString() << 0;
    QTest::newRow("label one place late")
        << QByteArray("T0 \r\nT0 = 5\r\n>") << r0 << false << "old T0"
        << "old R0" << failed << 0;
    // Kept for the undo, an empty or non-numeric value would go out as "T0"
    // alone (a query) or as "T0abc".
    QTest::newRow("no value") << ScriptedTransmitter::frame("T0", "T0 = ") << r0 << false
                              << "old T0"
                              << "old R0" << failed << 0;
    QTest::newRow("not a number") << ScriptedTransmitter::frame("T0", "T0 = abc") << r0 << false
                                  << "old T0"
                                  << "old R0" << failed << 0;
    // Read as 0, it would be written back as T00 by an undo.
    QTest::newRow("too large for a number")
        << ScriptedTransmitter::frame("T0", "T0 = 1e400") << r0 << false << "old T0"
        << "old R0" << failed << 0;
    QTest::newRow("no reply to T0") << QByteArray() << r0 << false << "old T0"
                                    << "old R0" << silent << 1;
    QTest::newRow("no reply to R0")
        << ScriptedTransmitter::frame("T0", "T0 = 30000") << QByteArray() << false << "30000"
        << "old R0" << silent << 1;
    QTest::newRow("R0 label wrong")
        << ScriptedTransmitter::frame("T0", "T0 = 30000")
        << ScriptedTransmitter::frame("R0", "T0 = 20000") << false << "30000"
        << "old R0" << failed << 0;
}

void ZeroCalibrationTest::startNeedsBothZeroParameters()
{
    QFETCH(QByteArray, t0Reply);
    QFETCH(QByteArray, r0Reply);
    QFETCH(bool, started);
    QFETCH(QString, previousT0);
    QFETCH(QString, previousR0);
    QFETCH(QString, message);
    QFETCH(int, beeps);
    CalibrationFixture f;
    f.w().PreviousT0 = QStringLiteral("old T0");
    f.w().PreviousR0 = QStringLiteral("old R0");
    for (const auto &[command, reply] : {std::pair {"T0", t0Reply}, {"R0", r0Reply}}) {
        if (reply.isEmpty())
            f.transmitter.silence(command);
        else
            f.transmitter.answerRaw(command, {{reply}});
    }
    f.w().ZeroButton->click();
    QCOMPARE(f.w().ZeroCalibrationRunning, started);
    QCOMPARE(f.idle(), !started);
    QCOMPARE(f.w().PreviousT0, previousT0);
    QCOMPARE(f.w().PreviousR0, previousR0);
    QStringList messages = f.fake.dialogs.messageTexts();
    messages.removeFirst(); // the question
    QCOMPARE(messages, message.isEmpty() ? QStringList() : QStringList(message));
    QCOMPARE(f.fake.desktop.beeps, beeps);
}

void ZeroCalibrationTest::cancelInTheQuestionSendsNothing()
{
    CalibrationFixture f;
    f.fake.dialogs.messageAnswers << MessageResult::Cancel;
    f.w().ZeroButton->click();
    QCOMPARE(f.fake.dialogs.shown.size(), 1);
    QVERIFY(f.fake.port.written.isEmpty());
    QVERIFY(f.idle());
}

void ZeroCalibrationTest::storeStopsAtTheFirstSilence_data()
{
    QTest::addColumn<QByteArray>("silent");
    QTest::addColumn<QList<QByteArray>>("sent");
    QTest::addColumn<QList<bool>>("pointer");

    QTest::newRow("T0 value") << QByteArray("T030000") << QList<QByteArray> {"X", "T030000"}
                              << QList<bool> {};
    QTest::newRow("R0 value") << QByteArray("R020000")
                              << QList<QByteArray> {"X", "T030000", "R020000"} << QList<bool> {};
    QTest::newRow("SAVE") << QByteArray("SAVE")
                          << QList<QByteArray> {"X", "T030000", "R020000", "SAVE"}
                          << QList<bool> {true, false};
    QTest::newRow("NOTEST") << QByteArray("NOTEST")
                            << QList<QByteArray> {"X", "T030000", "R020000", "SAVE", "NOTEST"}
                            << QList<bool> {true, false};
}

void ZeroCalibrationTest::storeStopsAtTheFirstSilence()
{
    QFETCH(QByteArray, silent);
    QFETCH(QList<QByteArray>, sent);
    QFETCH(QList<bool>, pointer);
    CalibrationFixture f;
    f.unanswered << silent;
    f.w().NumberOfSamples = 1;
    f.w().ZeroButton->click();
    f.forget();
    f.poll();
    QCOMPARE(f.transmitter.commands, sent);
    QCOMPARE(f.w().Status->text(),
             QStringLiteral("Transmitter Not Responding, Check Com and Cables"));
    QCOMPARE(statusColour(f.w().Status), 255);
    QCOMPARE(f.fake.desktop.pointerChanges, pointer);
    QVERIFY(f.idle());
    // A failed store is told in the status line alone.
    QVERIFY(f.fake.dialogs.shown.isEmpty());
    QCOMPARE(f.fake.desktop.beeps, 0);
    QVERIFY(f.w().menuUndoZeroCalibration->isEnabled());
}

void ZeroCalibrationTest::storeSendsWholeNumbers()
{
    CalibrationFixture f;
    QString t0 = QStringLiteral("12345.5"), r0 = QStringLiteral("23456.49");
    f.w().StoreZeroPoint(t0, r0);
    QCOMPARE(f.fake.port.written, QByteArray("T012346\rR023456\rSAVE\rNOTEST\r"));
    // The caller's values are rounded in place.
    QCOMPARE(t0, QStringLiteral("12346"));
    QCOMPARE(r0, QStringLiteral("23456"));
}

void ZeroCalibrationTest::undoReportsASilentLastNotestInTheStatusOnly()
{
    CalibrationFixture f;
    f.zeroCalibrate();
    QAction *undo = f.w().menuUndoZeroCalibration;
    f.forget();
    // The store's own NOTEST is answered, the one after it is not.
    f.transmitter.queue("NOTEST", {{ScriptedTransmitter::frame("NOTEST")}});
    f.transmitter.queueSilence("NOTEST");
    undo->trigger();
    QCOMPARE(f.transmitter.commands.count("NOTEST"), 2);
    QCOMPARE(f.w().Status->text(),
             QStringLiteral("Transmitter Not Responding, Check Com and Cables"));
    QCOMPARE(statusColour(f.w().Status), 255);
    QVERIFY(!undo->isEnabled());
    QCOMPARE(f.fake.dialogs.shown.size(), 2);
    QCOMPARE(f.fake.desktop.beeps, 0);
}

void ZeroCalibrationTest::undoDuringALaterRunWritesBackWhatThatRunRead_data()
{
    QTest::addColumn<bool>("answered");
    QTest::addColumn<QList<QByteArray>>("sent");

    QTest::newRow("stored") << true
                            << QList<QByteArray> {"T031000", "R021000", "SAVE", "NOTEST", "NOTEST"};
    // A failed store ends the run under way.
    QTest::newRow("no reply") << false << QList<QByteArray> {"T031000", "NOTEST"};
}

void ZeroCalibrationTest::undoDuringALaterRunWritesBackWhatThatRunRead()
{
    QFETCH(bool, answered);
    QFETCH(QList<QByteArray>, sent);
    CalibrationFixture f;
    f.zeroCalibrate();
    f.transmitter.answer("T0", "T0 = 31000");
    f.transmitter.answer("R0", "R0 = 21000");
    f.w().NumberOfSamples = 100;
    f.w().ZeroButton->click();
    f.poll();
    f.forget();
    if (!answered)
        f.unanswered << "T031000";
    f.w().menuUndoZeroCalibration->trigger();
    QCOMPARE(f.transmitter.commands, sent);
    QCOMPARE(f.w().ZeroCalibrationRunning, answered);
    QCOMPARE(f.idle(), !answered);
}

void ZeroCalibrationTest::closedPortIsReported_data()
{
    QTest::addColumn<int>("handler");
    QTest::addColumn<QString>("message");

    const QString start = QStringLiteral("Com Port is not open!");
    const QString store = QStringLiteral("Com port not open");
    QTest::newRow("Zero") << 0 << start;
    QTest::newRow("Span") << 1 << start;
    QTest::newRow("Undo") << 2 << start;
    QTest::newRow("store") << 3 << store;
}

void ZeroCalibrationTest::closedPortIsReported()
{
    QFETCH(int, handler);
    QFETCH(QString, message);
    CalibrationFixture f;
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
    QVERIFY(f.idle());
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
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("9"));
    QCOMPARE(f.w().SpanGasConcentration->text(), QStringLiteral("2000"));
    QCOMPARE(QApplication::focusWidget(), f.w().CancelButton);
}
