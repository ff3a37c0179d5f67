// Zero and span calibration and the accuracy checks on a session without a
// window: the run, the store of a point, its undo, a doubtful run, the span
// point through the inverse function, the checks, the record's rows, and every
// value that must never reach the transmitter.

#include "calibration/span_point.h"
#include "golden.h"

#include <QRegularExpression>

#include <cmath>

using K = CalibrationKind;

namespace {

// The record with its times blotted out.
QString record(const QString &folder)
{
    QString text = QString::fromUtf8(readFile(folder + QStringLiteral("/calibrations.csv")));
    static const QRegularExpression time(QStringLiteral("^(\\d+,[a-z ]+,)[^,]+"),
                                         QRegularExpression::MultilineOption);
    return text.replace(time, QStringLiteral("\\1<time>"));
}

} // namespace

class CalibrationTest : public QObject {
    Q_OBJECT

private:
    // A check of ten readings of `ppm`; the lines of its box.
    static QStringList check(SessionFixture &f, CalibrationKind kind, double ppm)
    {
        f.s.NumberOfSamples = 10;
        f.transmitter.setReading(20000, 30000, ppm, ppm);
        f.start(kind);
        f.forget();
        f.poll(10);
        return f.messages().value(0).split(u'\r');
    }

private slots:
    void zeroRunStoresTheMeansAndItsUndoWritesThemBack()
    {
        SessionFixture f;
        f.s.NumberOfSamples = 2;
        f.start(K::Zero);
        QVERIFY(f.s.ZeroCalibrationRunning);
        // Means of 23456 and 12345.5: the half goes away from zero on the wire.
        f.transmitter.setReading(23456, 12346, 0, 0);
        f.poll();
        f.transmitter.setReading(23456, 12345, 0, 0);
        f.poll();
        QVERIFY(!f.s.calibrationRunning() && f.s.undoZeroAvailable());
        QCOMPARE(f.s.NewT0 + u'/' + f.s.NewR0, QStringLiteral("12346/23456"));
        f.start(K::UndoZero);
        QVERIFY(!f.s.undoZeroAvailable());
        // The undo leaves the last run's zero point for the span calibration.
        QCOMPARE(f.s.NewT0, QStringLiteral("12346"));

        COMPARE_GOLDEN(f.fake.port.written, "zero_calibration.wire");
        // The status line and the pointer as each command went out, the boxes
        // and what the views were told.
        COMPARE_GOLDEN((f.seen + boxes(f.fake.dialogs) + f.told).join(u'\n').toUtf8() + '\n',
                       "zero_calibration.seen");
        QVERIFY(!f.fake.desktop.busy);
        QCOMPARE(f.fake.desktop.beeps, 0);
    }

    void runTakesItsNumberOfValidReadings()
    {
        SessionFixture f;
        f.s.NumberOfSamples = 3.5;
        f.transmitter.setReading(1000, 30000, 0, 0);
        f.start(K::Zero);
        f.poll();
        // A reading without its tab is no sample; a weak IR signal is warned of,
        // and its reading still counts.
        QByteArray noTab = ScriptedTransmitter::reading(21000, 31000, 0, 0);
        noTab[3 + 6] = ' ';
        f.transmitter.answerRaw("X", {{noTab}});
        f.poll();
        QCOMPARE(f.s.status().text,
                 QStringLiteral("Sampling data for Zero Calibration (Sample 2 of  3.5)"));
        QCOMPARE(f.s.displayValue() + u'|' + f.s.displayUnit(), QStringLiteral("sample|# 1"));
        f.transmitter.setReading(502, 30010, 0, 0);
        f.poll();
        QCOMPARE(f.s.status().text, QStringLiteral("Transmitter Failure, IR-signal Low!"));
        QVERIFY(f.s.ZeroCalibrationRunning);
        f.transmitter.setReading(1504, 30021, 0, 0);
        f.poll(2);
        QVERIFY(!f.s.calibrationRunning());
        QCOMPARE(f.s.SampleCount, 4);
        QCOMPARE(f.s.RxMean, (1000 + 502 + 1504 + 1504) / 4.0);
        QVERIFY(f.fake.port.written.endsWith("X\rT030013\rR01128\rSAVE\rNOTEST\r"));
    }

    // A run the judgement doubts asks before anything is written.
    void aZeroOnAirAsksBeforeWritingAndOnlyOkStoresIt()
    {
        SessionFixture f;
        const auto zeroRunOnAir = [&] {
            f.s.NumberOfSamples = 10;
            f.transmitter.setReading(20000, 30000, 452, 452);
            f.start(K::Zero);
            f.forget();
            f.poll(10);
        };
        const auto lastRow = [&] { return f.record().split(u'\n', Qt::SkipEmptyParts).last(); };
        f.fake.dialogs.messageAnswers << MessageResult::Ok << MessageResult::Cancel;
        zeroRunOnAir();
        const QStringList shown = boxes(f.fake.dialogs);
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].contains("The transmitter read 452 ppm on a zero gas")
                     && shown[0].contains("more than the 250 ppm")
                     && shown[0].endsWith("Store the zero point all the same?|OK+Cancel(default)"
                                          "|question|app title"),
                 qPrintable(shown[0]));
        QCOMPARE(f.fake.desktop.beeps, 1);
        // Cancel: only the readings went out; the run is over and says so.
        QCOMPARE(f.fake.port.written, QByteArray("X\r").repeated(10));
        QVERIFY(!f.s.calibrationRunning() && !f.s.undoZeroAvailable());
        QCOMPARE(f.told, QStringList({"refused||", "Zero calibration refused: nothing written"}));
        QVERIFY2(lastRow().contains(",zero,refused: ") && lastRow().contains("452"),
                 qPrintable(lastRow()));

        zeroRunOnAir(); // OK this time
        QCOMPARE(f.messages().last(), QStringLiteral("Zero Point Set And Saved"));
        QVERIFY(f.fake.port.written.endsWith("X\rT030000\rR020000\rSAVE\rNOTEST\r"));
        QVERIFY2(lastRow().contains(",zero,stored after warning: "), qPrintable(lastRow()));
    }

    void startNeedsTheTransmittersParameters_data()
    {
        QTest::addColumn<QByteArrayList>("script"); // a command and its reply; none: silence
        QTest::addColumn<QString>("kept"); // PreviousT0, or PreviousTS for the span
        QTest::addColumn<QString>("outcome");
        QTest::newRow("T0 label after any four characters")
            << QByteArrayList {"T0", "wxyzT0 = 12345.6ab>"} << "12346"
            << "T0 R0 | Are you ready with the zero gas? | 0 beeps | Wait...|black";
        // Kept for the undo, a value that is no number would go back as "T0abc".
        QTest::newRow("T0 = abc")
            << QByteArrayList {"T0", "T0\r\nT0 = abc\r\n>"} << "old"
            << "T0 | Are you ready with the zero gas?/Failed to fetch current Zero parameters, try "
               "again | 0 beeps | Com Port is Open|black";
        QTest::newRow("no reply to R0")
            << QByteArrayList {"R0", ""} << "30000"
            << "T0 R0 | Are you ready with the zero gas?/Transmitter Is Not Responding, Check Com "
               "And Cables | 1 beeps | Com Port is Open|black";
        QTest::newRow("SPAN label wrong")
            << QByteArrayList {"SPAN", "SPAN\r\nSpan= 2000\r\n>"} << "old"
            << "SPAN | Failed to fetch current Span, try again | 0 beeps | Com Port is Open|black";
    }

    void startNeedsTheTransmittersParameters()
    {
        QFETCH(QByteArrayList, script);
        QFETCH(QString, kept);
        QFETCH(QString, outcome);
        SessionFixture f;
        const bool zero = script[0].endsWith('0');
        if (!zero)
            f.run(K::Zero, {0});
        f.s.setStatus(QStringLiteral("Com Port is Open"), StatusColour::Black);
        f.forget();
        f.s.PreviousT0 = f.s.PreviousTS = QStringLiteral("old");
        f.script(script[0], script[1]);
        f.start(zero ? K::Zero : K::Span);
        QCOMPARE(f.outcome(), outcome);
        QCOMPARE(zero ? f.s.PreviousT0 : f.s.PreviousTS, kept);
    }

    void storeStopsAtTheFirstFailure_data()
    {
        QTest::addColumn<QByteArrayList>("script"); // a command and its reply; none: silence
        QTest::addColumn<QString>("outcome");
        const QString silent = QStringLiteral(" |  | 0 beeps | Transmitter Not Responding, Check "
                                              "Com and Cables|red");
        const QString refused = QStringLiteral(
            " | The transmitter rejected the parameters! | 1 beeps | Parameters not stored|red");
        const QByteArray error = ScriptedTransmitter::frame("R020000", "ERROR");
        QTest::newRow("R0 value silent")
            << QByteArrayList {"R020000", ""} << "X T030000 R020000" + silent;
        QTest::newRow("SAVE silent")
            << QByteArrayList {"SAVE", ""} << "X T030000 R020000 SAVE" + silent;
        QTest::newRow("NOTEST silent")
            << QByteArrayList {"NOTEST", ""} << "X T030000 R020000 SAVE NOTEST" + silent;
        QTest::newRow("R0 value refused")
            << QByteArrayList {"R020000", error} << "X T030000 R020000" + refused;
        QTest::newRow("SAVE refused")
            << QByteArrayList {"SAVE", "SAVE\r\nERROR\r\n>"} << "X T030000 R020000 SAVE" + refused;
        // Only the prompt counts after NOTEST: the parameters are saved.
        QTest::newRow("NOTEST refused") << QByteArrayList {"NOTEST", "NOTEST\r\nERROR\r\n>"}
                                        << "X T030000 R020000 SAVE NOTEST | Zero Point Set And "
                                           "Saved | 0 beeps | Saving OK|blue";
    }

    void storeStopsAtTheFirstFailure()
    {
        QFETCH(QByteArrayList, script);
        QFETCH(QString, outcome);
        SessionFixture f;
        f.script(script[0], script[1]);
        f.s.NumberOfSamples = 1;
        f.transmitter.setReading(20000, 30000, 0, 0);
        f.start(K::Zero);
        f.forget();
        f.poll();
        // Silence is told in the status line alone, a refusal with a box and a
        // beep; nothing may say the point was saved.
        QCOMPARE(f.outcome(), outcome);
        QVERIFY(!f.s.calibrationRunning() && f.s.undoZeroAvailable() && !f.fake.desktop.busy
                && !f.fake.dialogs.shownUnderBusyPointer);
        // The busy pointer from the SAVE on.
        QCOMPARE(f.fake.desktop.pointerChanges,
                 outcome.contains(u"SAVE") ? QList<bool>({true, false}) : QList<bool>());
    }

    void refusedWithoutSending_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<bool>("portOpen");
        QTest::addColumn<QString>("message");
        // Each operation checks the port itself, in its own words.
        for (const char *operation : {"zero", "span", "undo", "relay"})
            QTest::newRow(operation) << operation << false << "Com Port is not open!";
        QTest::newRow("store") << "store zero" << false << "Com port not open";
        QTest::newRow("download") << "download" << false << "Com Port Not Open";
        QTest::newRow("print") << "print" << false << "Com Port Not Open";
        QTest::newRow("span before zero") << "span" << true << "Calibrate First The Zero Point";
        // A mean no transmitter field holds is never sent.
        QTest::newRow("value too large")
            << "store span" << true
            << "The new values are outside what the transmitter can hold (-99999 to "
               "999999).<CR>Nothing has been sent.";
    }

    void refusedWithoutSending()
    {
        QFETCH(QString, operation);
        QFETCH(bool, portOpen);
        QFETCH(QString, message);
        SessionFixture f;
        if (!portOpen)
            f.s.closePort();
        f.forget();
        QString first = QStringLiteral("12345.5"), second = QStringLiteral("1e6");
        const QMap<QString, std::function<void()>> operations {
            {"zero", [&] { f.start(K::Zero); }},
            {"span", [&] { f.start(K::Span); }},
            {"undo", [&] { f.start(K::UndoZero); }},
            {"relay", [&] { f.s.setRelayTriggerPoints(); }},
            {"store zero", [&] { f.s.StoreZeroPoint(first, second); }},
            {"store span", [&] { f.s.StoreSpanPoint(first, second); }},
            {"download", [&] { f.s.downloadParameterFile(); }},
            {"print", [&] { f.s.printParameters(); }},
        };
        operations[operation]();
        QCOMPARE(boxes(f.fake.dialogs), QStringList(message + "|OK|no icon|app title"));
        QCOMPARE(f.fake.desktop.beeps, 1);
        QVERIFY(f.fake.port.written.isEmpty() && f.fake.printer.calls.isEmpty());
        QVERIFY(!f.s.calibrationRunning());
    }

    void spanPointFromTheRun_data()
    {
        QTest::addColumn<QByteArray>("span");
        QTest::addColumn<QString>("corrected"); // the label when Span is pressed
        QTest::addColumn<QString>("laterCorrected"); // and during the run; empty: unchanged
        // zero run Rx, span run Rx and Tx, and the span run's concentration
        QTest::addColumn<QList<double>>("readings");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("message"); // the last box

        const auto row = [&](const char *name, const char *span, const char *corrected,
                             const char *later, const QByteArray &stored, const QString &message,
                             const QList<double> &readings = {20000, 20000, 25000}) {
            QTest::newRow(name) << QByteArray(span) << QString(corrected) << QString(later)
                                << readings << stored << message;
        };
        const QString done = QStringLiteral("Span Point Set And Saved");
        // The corrected label counts, not the span gas typed (2000).
        row("corrected 1904", "2000", "1904", "", "TS24835\rRS20000\r", done,
            {20000, 20000, 25000, 1904});
        row("label read again at the end", "2000", "2000", "2100", "TS25157\rRS20000\r", done,
            {20000, 20000, 25000, 2100});
        row("span 2100, 2200 within 10 %", "2100", "2200", "", "TS25149\rRS20000\r", done,
            {20000, 20000, 25000, 2200});
        row("1800 exactly 10 % off", "2000", "1800", "", "TS24639\rRS20000\r", done,
            {20000, 20000, 25000, 1800});
        const QString warning
            = QStringLiteral("Warning! Corrected gas concentration must be within "
                             "±10% of the Span.\rThe calibration is possible, "
                             "but not accurate.");
        row("1799 warned", "2000", "1799", "", {}, warning);
        row("2201 warned", "2000", "2201", "", {}, warning);
        // Refused at the start, before the technician is asked to confirm.
        const QString corrected = QStringLiteral("The corrected span gas concentration (%1 ppm)");
        row("transmitter span 1", "1", "2000", "", {},
            "The span the transmitter reports (1 ppm) cannot be used");
        row("corrected negative", "2000", "-15810", "", {}, corrected.arg("-15810"));
        // Refused at the end of the run.
        const QString notStored = QStringLiteral("Span point not stored.\r");
        row("span gas changed to 1", "2000", "2000", "1", {}, notStored + corrected.arg("1"));
        row("R0 of 0", "2000", "2000", "", {}, notStored + "The zero point's reference signal R0",
            {0, 20000, 25000});
        row("TS below 0", "2000", "2000", "1800", {},
            notStored + "The computed span parameter TS is outside", {20000, 20000, 1000});
    }

    void spanPointFromTheRun()
    {
        QFETCH(QByteArray, span);
        QFETCH(QString, corrected);
        QFETCH(QString, laterCorrected);
        QFETCH(QList<double>, readings);
        QFETCH(QByteArray, stored);
        QFETCH(QString, message);
        SessionFixture f;
        f.run(K::Zero, {0}, readings[0], 30000);
        f.forget();
        f.transmitter.answer("SPAN", "Span =  " + span);
        f.ambient.corrected = corrected;
        f.transmitter.setReading(readings[1], readings[2], readings.value(3), readings.value(3));
        // The warning's Cancel ends the start; without a warning it answers nothing.
        f.fake.dialogs.messageAnswers << MessageResult::Ok << MessageResult::Cancel;
        f.start(K::Span);
        const bool started = f.s.SpanCalibrationRunning;
        if (!laterCorrected.isEmpty())
            f.ambient.corrected = laterCorrected;
        f.poll();
        QVERIFY(!f.s.calibrationRunning());
        const QByteArray start = started ? "SPAN\rTS\rRS\rX\r" : "SPAN\rX\r";
        QCOMPARE(f.fake.port.written, start + (stored.isEmpty() ? "" : stored + "SAVE\rNOTEST\r"));
        const QString last = f.messages().last();
        QVERIFY2(last.startsWith(message), qPrintable(last));
        // Every refusal beeps; a stored point does not.
        QCOMPARE(f.fake.desktop.beeps, stored.isEmpty() ? 1 : 0);
        QCOMPARE(f.s.undoSpanAvailable(), started);
    }

    // The accuracy check: the readings against the zero or span gas, a
    // verdict against the tolerance, a row in the record, and nothing written
    // into the transmitter.
    void aZeroCheckReadsOnlyAndPasses()
    {
        SessionFixture f;
        f.s.NumberOfSamples = 10;
        f.transmitter.setReading(20000, 30000, 12, 12);
        f.start(K::CheckZero);
        QVERIFY(f.messages().value(0).endsWith("Are you ready with the zero gas?"));
        QCOMPARE(f.s.status().text, QStringLiteral("Wait..."));
        f.forget();
        f.poll();
        QCOMPARE(f.s.status().text,
                 QStringLiteral("Accuracy check with zero gas (Sample 1 of  10)"));
        f.poll(9);
        QCOMPARE(f.fake.port.written, QByteArray("X\r").repeated(10));
        QCOMPARE(f.messages(),
                 QStringList("Accuracy check with zero gas: PASS\r\rAs found: 12.0 ppm\r"
                             "Applied gas: 0 ppm\rDifference: +12.0 ppm\rTolerance: ±50 ppm"));
        QCOMPARE(f.fake.desktop.beeps, 0);
        QVERIFY(!f.s.calibrationRunning());
        QCOMPARE(f.told, QStringList("PASS||"));
        // Its row: kind, verdict, samples, applied gas, no T0 before nor
        // written, as found, tolerance.
        const QStringList row = f.record().split(u'\n')[1].split(u',');
        QCOMPARE(
            QStringList({row[6], row[7], row[8], row[11], row[18] + row[20], row[28], row[34]}),
            QStringList({"check zero", "pass", "10", "0", "", "12.0", "50"}));
    }

    void aFailedCheckOffersTheCalibrationWithoutStartingIt()
    {
        SessionFixture f; // 2000 ppm at 25 °C and 1013 hPa: corrected 2000
        QStringList box = check(f, K::CheckSpan, 2149);
        QCOMPARE(box[0], QStringLiteral("Accuracy check with span gas: PASS"));
        QCOMPARE(
            box.mid(4, 2),
            QStringList({"Difference: +149.0 ppm (+7.5 %)", "Tolerance: ±150 ppm (50 ppm + 5 %)"}));

        f.fake.dialogs.messageAnswers << MessageResult::Ok << MessageResult::Cancel;
        box = check(f, K::CheckSpan, 2151);
        QCOMPARE(box[0], QStringLiteral("Accuracy check with span gas: FAIL"));
        QCOMPARE(box.last(), QStringLiteral("Calibrate the span point now?"));
        QCOMPARE(boxes(f.fake.dialogs).last().section(u'|', 1), "OK+Cancel|question|app title");
        QCOMPARE(f.fake.desktop.beeps, 1);
        // Cancel: nothing starts, nothing is asked of the transmitter.
        QVERIFY(!f.s.calibrationRunning());
        QCOMPARE(f.fake.port.written, QByteArray("X\r").repeated(10));
        const QStringList rows = f.record().split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(rows.size(), 3);
        QVERIFY(rows[1].contains(",check span,pass,10,2000,2000,2000,"));
        QVERIFY(rows[2].contains(",check span,fail,10,2000,2000,2000,"));

        // OK on a failed check leads to the calibration's own question.
        f.fake.dialogs.messageAnswers << MessageResult::Ok << MessageResult::Ok
                                      << MessageResult::Cancel;
        check(f, K::CheckZero, 80);
        QCOMPARE(f.messages().last(), QStringLiteral("Are you ready with the zero gas?"));
        QVERIFY(!f.s.calibrationRunning());
    }

    void aGasThatHasNotSettledGivesNoVerdict()
    {
        SessionFixture f;
        f.s.NumberOfSamples = 10;
        f.start(K::CheckZero);
        for (int i = 0; i < 10; ++i)
            f.readings({60.0 - 5 * i});
        const QStringList box = f.messages().value(1).split(u'\r');
        QCOMPARE(box[0], QStringLiteral("Accuracy check with zero gas: NOT SETTLED"));
        QVERIFY(box.contains("The CO2 reading was still falling during the run: −150 ppm/min"));
        QVERIFY(f.record().contains(",check zero,not settled,10,"));
    }

    void cancelEndsACheckWithoutARowAndRunsHoldOffTheRest()
    {
        SessionFixture f;
        f.s.NumberOfSamples = 10;
        f.start(K::CheckSpan);
        f.poll(3);
        f.forget();
        f.fake.dialogs.fileAnswers << writeParameterFile("RH800\r\n");
        f.s.selectPort(2);
        f.s.closePort();
        f.start(K::CheckZero);
        f.s.downloadParameterFile();
        f.s.printParameters();
        f.s.setRelayTriggerPoints();
        QCOMPARE(f.messages(), QStringList(6, QStringLiteral("Not possible during calibration!")));
        QCOMPARE(f.fake.desktop.beeps, 6);
        QVERIFY(f.s.isOpen() && f.fake.port.written.isEmpty());
        f.s.returnToIdle();
        f.poll(10);
        QCOMPARE(f.fake.port.written, QByteArray("X\r").repeated(10));
        QVERIFY(!QFile::exists(f.fake.desktop.dataFolder() + "/calibrations.csv"));
    }
    // The record: a row for every store tried, refused or undone, on disk as
    // soon as it happens and before its box, an "as left" row after five
    // readings, and a row that cannot be written yet.
    void everyStoreRefusalAndUndoHasItsRow()
    {
        SessionFixture f;
        f.run(K::Zero, {4, 6}, 20000, 30000, 2);
        f.readings({1, 2, 3, 2, 1}, 20001, 30002); // as left
        f.start(K::UndoZero);
        f.ambient = {"2000", "1997", "68", "°F", "1000", "hPa", 20, 1000};
        f.run(K::Span, {1990}, 20000, 25000);
        f.transmitter.silence("SAVE");
        f.run(K::Span, {1990}, 20000, 25000);
        f.transmitter.answer("SAVE");
        f.script("R020000", ScriptedTransmitter::frame("R020000", "ERROR"));
        f.run(K::Zero, {0});
        f.start(K::Span);
        f.ambient.spanGas = QStringLiteral("none"); // refused at the end of the run
        f.ambient.corrected = QStringLiteral("0");
        f.poll();
        // Read while the session still runs: a crash now would lose nothing.
        COMPARE_GOLDEN(record(f.fake.desktop.dataFolder()).toUtf8(), "calibrations.csv");
        QVERIFY(f.told.filter(u"calibration record").isEmpty());
    }

    void aRunIsJudgedOnTheInstantReadingAndLeftOnTheAveragedOne()
    {
        // The averaged field lags the instant one by seconds, and its
        // readings overlap: the run is judged on the instant reading (on the
        // averaged one this zero would read room air), while the as-left
        // readings are what the display shows.
        SessionFixture f;
        f.s.NumberOfSamples = 3;
        f.transmitter.setReading(20000, 30000, 0, 452);
        f.start(K::Zero);
        f.poll(3);
        QCOMPARE(f.messages(),
                 QStringList({"Are you ready with the zero gas?", "Zero Point Set And Saved"}));
        f.transmitter.setReading(20000, 30000, 90, 12);
        f.poll(2);
        // The next run ends the as-left readings at two.
        f.start(K::Zero);
        QVERIFY(record(f.fake.desktop.dataFolder()).contains(u",,12,12,,,,,,1-2\n"));
    }

    void everyRowIsOnDiskBeforeItsBoxShows()
    {
        SessionFixture f;
        QStringList seen; // each box's first line and the record's last row then
        f.fake.dialogs.whileOpen = [&](const ShownBox &box) {
            if (box.buttons != MessageButtons::Ok)
                return; // a question before the run
            const QStringList rows = f.record().split(u'\n', Qt::SkipEmptyParts);
            seen << box.text.section(u'\r', 0, 0) + QStringLiteral(" | ")
                    + rows.value(rows.size() - 1).split(u',').mid(6, 2).join(u',');
        };
        f.run(K::Zero, {0});
        f.script("R020000", ScriptedTransmitter::frame("R020000", "ERROR"));
        f.run(K::Zero, {0});
        f.run(K::CheckZero, {0});
        f.start(K::Span);
        f.ambient.corrected = QStringLiteral("0"); // refused at the end of the run
        f.poll();
        QCOMPARE(seen,
                 QStringList({"Zero Point Set And Saved | zero,stored",
                              "The transmitter rejected the parameters! | zero,rejected: R020000",
                              "Accuracy check with zero gas: PASS | check zero,pass",
                              "Span point not stored. | span,\"refused: The corrected span gas "
                              "concentration (0 ppm) cannot be used for a span calibration. "
                              "Check the span gas"}));
    }

    void aRowThatCannotBeWrittenWaitsAndIsTold()
    {
        SessionFixture f;
        writeFile(QStringLiteral("not-a-folder"), "");
        f.fake.desktop.dataFolderPath = QDir::current().absoluteFilePath("not-a-folder/kestrin");
        f.run(K::Zero, {0});
        QVERIFY2(
            f.told.last().startsWith("The calibration record could not be written to "
                                     + QDir::toNativeSeparators(f.fake.desktop.dataFolderPath)),
            qPrintable(f.told.last()));
        QCOMPARE(f.messages().mid(1), QStringList("Zero Point Set And Saved"));
        // The folder can be made again: the waiting row goes in first.
        QVERIFY(QFile::remove(QStringLiteral("not-a-folder")));
        f.run(K::Zero, {5});
        const QStringList rows = record(f.fake.desktop.dataFolderPath).split(u'\n');
        QVERIFY(rows[1].startsWith(u"1,calibration,<time>,COM1"));
        QVERIFY(rows[1].endsWith(u",0.0,,,,,,50,,"));
        QVERIFY(rows[2].startsWith(u"2,calibration,<time>,COM1"));
        QVERIFY(rows[2].endsWith(u",5.0,,,,,,50,,"));
    }
    // What the runs above do not reach: below 1 ppm the logarithm turns
    // negative, and only its size scales.
    void spanTsBelowOnePpm()
    {
        for (const auto &[corrected, span, ts] :
             {std::tuple {0.5, 2.0, 25000.0}, std::tuple {0.25, 0.5, 29843.75}}) {
            const auto got = computeSpanTS({corrected, span, 30000, 20000, 25000, 20000, 0.2});
            QVERIFY(std::holds_alternative<double>(got));
            QVERIFY(std::fabs(std::get<double>(got) - ts) < 0.005);
        }
    }
};

QTEST_MAIN(CalibrationTest)
#include "tst_calibration.moc"
