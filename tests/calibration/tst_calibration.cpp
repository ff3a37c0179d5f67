// Zero and span calibration: the run, the store of a point, its undo, the
// span point through the inverse function, and every value that must never
// reach the transmitter.

#include "calibration/span_point.h"
#include "calibration_fixture.h"

#include <QStatusBar>

#include <QProgressBar>

#include <cmath>

Q_DECLARE_METATYPE(SpanInputs)

class CalibrationTest : public QObject {
    Q_OBJECT

private slots:
    void wholeZeroCalibrationAndItsUndo()
    {
        CalibrationFixture f;
        f.w().session().NumberOfSamples = 2;
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
        QCOMPARE(f.w().session().NewT0 + u'/' + f.w().session().NewR0,
                 QStringLiteral("12346/23456"));
        f.w().menuUndoZeroCalibration->trigger();
        QVERIFY(!f.w().menuUndoZeroCalibration->isEnabled());
        // The undo leaves the last run's zero point for the span calibration.
        QCOMPARE(f.w().session().NewT0, QStringLiteral("12346"));

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

    void wholeSpanCalibrationAndItsUndo()
    {
        CalibrationFixture f;
        f.zeroCalibrate(20000, 30000);
        f.enter({"S=1900"});
        // The character between the label and the value is not part of it.
        f.transmitter.answer("SPAN", "Span = :2000");
        f.transmitter.setReading(20000, 25000, 1903, 1903); // on the span gas
        f.w().SpanButton->click();
        QVERIFY(f.w().session().SpanCalibrationRunning);
        f.poll();
        QVERIFY(isIdle(f.w()));
        QCOMPARE(f.w().session().NewTS + u'/' + f.w().session().NewRS,
                 QStringLiteral("24828/20000"));
        f.w().menuUndoSpanCalibration->trigger();
        QVERIFY(!f.w().menuUndoSpanCalibration->isEnabled());

        COMPARE_GOLDEN(f.fake.port.written, "span_calibration.wire");
        QCOMPARE(f.seen.mid(3, 3),
                 QStringList({
                     "X|Wait...|blue|normal",
                     "TS24828|Sampling data for Span Calibration (Sample 1 of  1)|blue|normal",
                     "RS20000|Sampling data for Span Calibration (Sample 1 of  1)|blue|normal",
                 }));
        QCOMPARE(boxes(f.fake.dialogs),
                 QStringList({
                     "The transmitter parameters are for 2000 ppm.<CR>Are you ready with the "
                     "ambient settings and with the span gas?|OK+Cancel|question|app title",
                     "Span Point Set And Saved|OK|no icon|app title",
                     "Undo Span Calibration? Please Confirm!|OK+Cancel|question|app title",
                     "Span Point Set And Saved|OK|no icon|app title",
                 }));
        QCOMPARE(f.fake.desktop.beeps, 0);
    }

    void runTakesItsNumberOfValidReadings()
    {
        CalibrationFixture f;
        f.fake.dialogs.inputAnswers << QStringLiteral("3.5 samples");
        f.w().menuNumberOfSamples->trigger();
        QCOMPARE(f.fake.dialogs.shown.first().defaultText, QStringLiteral("100"));
        f.w().ZeroButton->click();
        auto *progress = f.w().findChild<QProgressBar *>(QStringLiteral("runProgress"));
        QCOMPARE(progress->text(), QStringLiteral("Sample 0 of 3.5"));
        f.transmitter.setReading(1000, 30000, 0, 0);
        f.poll();
        // A reading without its tab is no sample; a weak IR signal is warned of,
        // and its reading still counts.
        QByteArray noTab = ScriptedTransmitter::reading(21000, 31000, 0, 0);
        noTab[3 + 6] = ' ';
        f.transmitter.answerRaw("X", {{noTab}});
        f.poll();
        QCOMPARE(f.w().Status->text(),
                 QStringLiteral("Sampling data for Zero Calibration (Sample 2 of  3.5)"));
        QCOMPARE(f.w().ppmText->text(), QStringLiteral("# 1"));
        f.transmitter.setReading(502, 30010, 0, 0);
        f.poll();
        QCOMPARE(f.w().Status->text(), QStringLiteral("Transmitter Failure, IR-signal Low!"));
        QVERIFY(f.w().session().ZeroCalibrationRunning);
        f.transmitter.setReading(1504, 30021, 0, 0);
        f.polls(2);
        QVERIFY(isIdle(f.w()));
        QCOMPARE(f.w().session().SampleCount, 4);
        QCOMPARE(f.w().session().RxMean, (1000 + 502 + 1504 + 1504) / 4.0);
        QVERIFY(f.fake.port.written.endsWith("X\rT030013\rR01128\rSAVE\rNOTEST\r"));
        QCOMPARE(f.w().findChild<QLabel *>(QStringLiteral("referenceMean"))->text(),
                 QStringLiteral("1127.5"));
    }

    void everyEndOfARunIsToldAtOnce()
    {
        CalibrationFixture f;
        auto *caption = f.w().findChild<QLabel *>(QStringLiteral("stabilityCaption"));
        f.w().session().NumberOfSamples = 3;
        f.transmitter.setReading(20100, 30100, 0, 0);
        f.w().ZeroButton->click();
        f.poll();
        QCOMPARE(caption->text(), QStringLiteral("Zero calibration (running)"));
        const QString sampling = f.w().Status->text();
        f.w().CancelButton->click();
        // The status line keeps its text until the next poll; the message
        // area and the panel say what happened.
        QCOMPARE(f.w().Status->text(), sampling);
        QCOMPARE(f.w().statusBar()->currentMessage(),
                 QStringLiteral("Zero calibration cancelled: nothing written"));
        QCOMPARE(caption->text(), QStringLiteral("Zero calibration: cancelled"));

        f.w().session().NumberOfSamples = 1;
        f.w().ZeroButton->click();
        f.poll();
        QCOMPARE(f.w().statusBar()->currentMessage(),
                 QStringLiteral("Zero point stored: T0 30100, R0 20100"));
        QCOMPARE(caption->text(), QStringLiteral("Zero calibration: stored"));
        f.w().menuUndoZeroCalibration->trigger();
        QCOMPARE(f.w().statusBar()->currentMessage(),
                 QStringLiteral("Zero point restored: T0 30000, R0 20000"));
        QCOMPARE(caption->text(), QStringLiteral("Zero calibration: undone"));
    }

    void cancelledNumberOfSamplesKeepsTheNumber()
    {
        CalibrationFixture f;
        f.fake.dialogs.inputAnswers << QString(); // Cancel, or OK on an emptied entry
        f.w().menuNumberOfSamples->trigger();
        f.w().ZeroButton->click();
        f.polls(2);
        QCOMPARE(f.w().Status->text(),
                 QStringLiteral("Sampling data for Zero Calibration (Sample 2 of  100)"));
        QVERIFY(!f.fake.port.written.contains("SAVE"));
    }

    void startNeedsTheTransmittersParameters_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("reply"); // empty: no reply
        QTest::addColumn<QString>("kept"); // PreviousT0, or PreviousTS for the span
        QTest::addColumn<QString>("message"); // empty: the run starts

        const QString zero = QStringLiteral("Failed to fetch current Zero parameters, try again");
        const QString silent
            = QStringLiteral("Transmitter Is Not Responding, Check Com And Cables");
        QTest::newRow("T0 label after any four characters")
            << QByteArray("T0") << QByteArray("wxyzT0 = 12345.6ab>") << "12346" << QString();
        // Kept for the undo, a value that is no number would go back as "T0abc".
        QTest::newRow("T0 = abc") << QByteArray("T0") << QByteArray("T0\r\nT0 = abc\r\n>") << "old"
                                  << zero;
        QTest::newRow("no reply to R0") << QByteArray("R0") << QByteArray() << "30000" << silent;
        QTest::newRow("SPAN label wrong")
            << QByteArray("SPAN") << QByteArray("SPAN\r\nSpan= 2000\r\n>") << "old"
            << "Failed to fetch current Span, try again";
    }

    void startNeedsTheTransmittersParameters()
    {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, reply);
        QFETCH(QString, kept);
        QFETCH(QString, message);
        CalibrationFixture f;
        const bool zero = command.endsWith('0');
        if (!zero)
            f.zeroCalibrate();
        f.w().session().PreviousT0 = f.w().session().PreviousTS = QStringLiteral("old");
        f.script(command, reply);
        (zero ? f.w().ZeroButton : f.w().SpanButton)->click();
        const bool started = message.isEmpty();
        QCOMPARE(f.w().session().ZeroCalibrationRunning || f.w().session().SpanCalibrationRunning,
                 started);
        QCOMPARE(zero ? f.w().session().PreviousT0 : f.w().session().PreviousTS, kept);
        QStringList messages = f.fake.dialogs.messageTexts();
        messages.removeIf([](const QString &text) { return text.endsWith(u'?'); }); // questions
        QCOMPARE(messages, started ? QStringList() : QStringList(message));
        // A silent transmitter beeps, a garbled reply does not.
        QCOMPARE(f.fake.desktop.beeps, message.startsWith(u"Transmitter") ? 1 : 0);
    }

    void storeStopsAtTheFirstFailure_data()
    {
        QTest::addColumn<int>("failing"); // its place in the store's commands
        QTest::addColumn<bool>("refused"); // answered "ERROR" instead of nothing
        QTest::newRow("R0 value silent") << 2 << false;
        QTest::newRow("SAVE silent") << 3 << false;
        QTest::newRow("NOTEST silent") << 4 << false;
        QTest::newRow("R0 value refused") << 2 << true;
        QTest::newRow("SAVE refused") << 3 << true;
    }

    void storeStopsAtTheFirstFailure()
    {
        QFETCH(int, failing);
        QFETCH(bool, refused);
        const QList<QByteArray> store {"X", "T030000", "R020000", "SAVE", "NOTEST"};
        CalibrationFixture f;
        const QByteArray command = store[failing];
        f.script(command, refused ? ScriptedTransmitter::frame(command, "ERROR") : QByteArray());
        f.w().session().NumberOfSamples = 1;
        f.transmitter.setReading(20000, 30000, 0, 0);
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
        QCOMPARE(f.fake.dialogs.messageTexts(),
                 refused ? QStringList("The transmitter rejected the parameters!\r"
                                       "They have not been saved.")
                         : QStringList());
        QCOMPARE(f.fake.desktop.beeps, refused ? 1 : 0);
        QVERIFY(f.w().menuUndoZeroCalibration->isEnabled());
    }

    void refusedWithoutSending_data()
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
        // A mean no transmitter field holds is never sent.
        QTest::newRow("store, value too large")
            << 4 << true
            << "The new values are outside what the transmitter can hold (-99999 to "
               "999999).<CR>Nothing has been sent.";
    }

    void refusedWithoutSending()
    {
        QFETCH(int, handler);
        QFETCH(bool, portOpen);
        QFETCH(QString, message);
        CalibrationFixture f;
        if (!portOpen)
            f.w().menuCloseComPort_Click();
        f.forget();
        QString first = QStringLiteral("12345.5"), second = QStringLiteral("1e6");
        MainWindow &w = f.w();
        const std::function<void()> handlers[] = {
            [&] { w.ZeroButton_Click(); },
            [&] { w.SpanButton_Click(); },
            [&] { w.menuUndoZeroCalibration_Click(); },
            [&] { w.session().StoreZeroPoint(first, second); },
            [&] { w.session().StoreSpanPoint(first, second); },
        };
        handlers[handler]();
        QCOMPARE(boxes(f.fake.dialogs), QStringList(message + "|OK|no icon|app title"));
        QCOMPARE(f.fake.desktop.beeps, 1);
        QVERIFY(f.fake.port.written.isEmpty());
        QVERIFY(isIdle(f.w()));
    }

    void spanPointFromTheRun_data()
    {
        QTest::addColumn<QByteArray>("span");
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("duringRun");
        // zero run Rx, span run Rx and Tx, and the span run's concentration
        QTest::addColumn<QList<double>>("readings");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("message"); // the last box, when not the usual

        using L = QStringList;
        const auto row = [&](const char *name, const char *span, const L &before, const L &during,
                             const QByteArray &stored, const QString &message = {},
                             const QList<double> &readings = {20000, 20000, 25000}) {
            QTest::newRow(name) << QByteArray(span) << before << during << readings << stored
                                << message;
        };
        const QString done = QStringLiteral("Span Point Set And Saved");
        // 2000 ppm at 40 °C is 1904 ppm: the label counts, not the entry.
        row("corrected label", "2000", {"T=40"}, {}, "TS24835\rRS20000\r", done,
            {20000, 20000, 25000, 1904});
        row("label read again at the end", "2000", {}, {"S=2100"}, "TS25157\rRS20000\r", done,
            {20000, 20000, 25000, 2100});
        row("span 2100, 2200 within 10 %", "2100", {"S=2200"}, {}, "TS25149\rRS20000\r", done,
            {20000, 20000, 25000, 2200});
        const QString warning
            = QStringLiteral("Warning! Corrected gas concentration must be within "
                             "±10% of the Span.\rThe calibration is possible, "
                             "but not accurate.");
        row("1799 warned", "2000", {"S=1799"}, {}, {}, warning);
        row("2201 warned", "2000", {"S=2201"}, {}, {}, warning);
        // Refused at the start, before the technician is asked to confirm.
        const QString corrected = QStringLiteral("The corrected span gas concentration (%1 ppm)");
        row("transmitter span 1", "1", {}, {}, {},
            "The span the transmitter reports (1 ppm) cannot be used");
        row("corrected negative", "2000", {"P=1800"}, {}, {}, corrected.arg("-15810"));
        // Refused at the end of the run.
        const QString notStored = QStringLiteral("Span point not stored.\r");
        row("span gas changed to 1", "2000", {}, {"S=1"}, {}, notStored + corrected.arg("1"));
        row("R0 of 0", "2000", {}, {}, {},
            notStored + "The zero point's reference signal R0 is not", {0, 20000, 25000});
        row("TS below 0", "2000", {}, {"S=1800"}, {},
            notStored + "The computed span parameter TS is outside", {20000, 20000, 1000});
    }

    void spanPointFromTheRun()
    {
        QFETCH(QByteArray, span);
        QFETCH(QStringList, before);
        QFETCH(QStringList, duringRun);
        QFETCH(QList<double>, readings);
        QFETCH(QByteArray, stored);
        QFETCH(QString, message);
        CalibrationFixture f;
        f.zeroCalibrate(readings[0], 30000);
        f.transmitter.answer("SPAN", "Span =  " + span);
        f.enter(before);
        f.transmitter.setReading(readings[1], readings[2], readings.value(3), readings.value(3));
        // The warning's Cancel ends the start; without a warning it answers nothing.
        f.fake.dialogs.messageAnswers << MessageResult::Ok << MessageResult::Cancel;
        f.w().SpanButton->click();
        const bool started = f.w().session().SpanCalibrationRunning;
        f.enter(duringRun);
        f.poll();
        QVERIFY(isIdle(f.w()));
        const QByteArray start = started ? "SPAN\rTS\rRS\rX\r" : "SPAN\rX\r";
        QCOMPARE(f.fake.port.written, start + (stored.isEmpty() ? "" : stored + "SAVE\rNOTEST\r"));
        const QString last = f.fake.dialogs.messageTexts().last();
        QVERIFY2(last.startsWith(message), qPrintable(last));
        // Every refusal beeps; a stored point does not.
        QCOMPARE(f.fake.desktop.beeps, stored.isEmpty() ? 1 : 0);
        QCOMPARE(f.w().menuUndoSpanCalibration->isEnabled(), started);
    }

    void computeSpanTS_data()
    {
        QTest::addColumn<SpanInputs>("in");
        QTest::addColumn<double>("ts"); // 0: refused
        const auto worked
            = [](double c, double s) { return SpanInputs {c, s, 30000, 20000, 25000, 20000, 0.2}; };
        QTest::newRow("1900 ppm") << worked(1900, 2000) << 24827.82;
        QTest::newRow("2100 ppm") << worked(2100, 2000) << 25157.43;
        QTest::newRow("C equal to S keeps TxMean")
            << SpanInputs {2000, 2000, 30000, 20000, 24321, 19876, 0.2} << 24321.0;
        // Below 1 ppm the logarithm turns negative: only its size scales.
        QTest::newRow("C 0.5, S 2") << worked(0.5, 2) << 25000.0;
        QTest::newRow("C 0.25, S 0.5") << worked(0.25, 0.5) << 29843.75;
        QTest::newRow("C 1") << worked(1, 2000) << 0.0;
        QTest::newRow("S 1") << worked(2000, 1) << 0.0;
        QTest::newRow("R0 negative")
            << SpanInputs {2000, 2000, -30000, -20000, 25000, 20000, 0.2} << 0.0;
        QTest::newRow("C 2 above the zero ratio: too large")
            << SpanInputs {2, 2000, 30000, 20000, 40000, 20000, 0.2} << 0.0;
    }

    void computeSpanTS()
    {
        QFETCH(SpanInputs, in);
        QFETCH(double, ts);
        const auto result = ::computeSpanTS(in);
        QCOMPARE(std::holds_alternative<double>(result), ts != 0);
        if (ts != 0) {
            const double got = std::get<double>(result);
            QVERIFY2(std::fabs(got - ts) < 0.005, qPrintable(QString::number(got, 'f', 4)));
        }
    }

    void strayKeysCannotHarmARun()
    {
        // The run's start must not hand the focus to the span gas entry, where
        // the next key would replace its text, nor to Cancel, where a Space
        // would end a run of minutes. Alt+C still cancels at once.
        CalibrationFixture f;
        f.w().show();
        QVERIFY(QTest::qWaitForWindowActive(&f.w()));
        f.w().ZeroButton->setFocus();
        QTest::keyClick(f.w().ZeroButton, Qt::Key_Space);
        QVERIFY(f.w().session().ZeroCalibrationRunning);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("9 "));
        QCOMPARE(f.w().SpanGasConcentration->text(), QStringLiteral("2000"));
        QVERIFY(f.w().session().ZeroCalibrationRunning);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
        QVERIFY(isIdle(f.w()));
    }
};

QTEST_MAIN(CalibrationTest)
#include "tst_calibration.moc"
