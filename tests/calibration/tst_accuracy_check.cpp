// The accuracy check: the transmitter's readings against the zero or span gas,
// a verdict against the tolerance, a row in the record, and nothing written
// into the transmitter.

#include "calibration_fixture.h"

#include <QFile>

class AccuracyCheckTest : public QObject {
    Q_OBJECT

private:
    static QString recordText(CalibrationFixture &f)
    {
        return QString::fromUtf8(readFile(f.fake.desktop.dataFolder() + "/calibrations.csv"));
    }
    // A check of ten readings of `ppm`; the box's lines.
    static QStringList check(CalibrationFixture &f, QAction *item, double ppm)
    {
        f.w().session().NumberOfSamples = 10;
        f.transmitter.setReading(20000, 30000, ppm, ppm);
        item->trigger();
        f.forget();
        f.polls(10);
        return f.fake.dialogs.messageTexts().value(0).split(u'\r');
    }

private slots:
    void aZeroCheckReadsOnlyAndPasses()
    {
        CalibrationFixture f;
        f.w().session().NumberOfSamples = 10;
        f.transmitter.setReading(20000, 30000, 12, 12);
        f.w().menuAccuracyCheckZero->trigger();
        QVERIFY(
            f.fake.dialogs.messageTexts().value(0).endsWith("Are you ready with the zero gas?"));
        QCOMPARE(f.w().Status->text(), QStringLiteral("Wait..."));
        f.forget();
        f.poll();
        QCOMPARE(f.w().Status->text(),
                 QStringLiteral("Accuracy check with zero gas (Sample 1 of  10)"));
        f.polls(9);
        QCOMPARE(f.fake.port.written, QByteArray("X\r").repeated(10));
        QCOMPARE(f.fake.dialogs.messageTexts(),
                 QStringList("Accuracy check with zero gas: PASS\r\rAs found: 12.0 ppm\r"
                             "Applied gas: 0 ppm\rDifference: +12.0 ppm\rTolerance: ±50 ppm"));
        QVERIFY(!f.w().session().ZeroCalibrationRunning && f.w().ZeroButton->isEnabled());
        const QStringList row = recordText(f).split(u'\n')[1].split(u',');
        QCOMPARE(row.mid(6, 3), QStringList({"check zero", "pass", "10"}));
        QCOMPARE(row[11], QStringLiteral("0")); // applied gas
        QCOMPARE(row[18] + row[20], QString()); // no T0 before, none written
        QCOMPARE(row[28], QStringLiteral("12.0")); // as found
        QCOMPARE(row[34], QStringLiteral("50")); // tolerance
    }

    void aSpanCheckPassesInsideTheToleranceAndFailsOutside()
    {
        CalibrationFixture f; // 2000 ppm at 25 °C and 1013 hPa: corrected 2000
        QStringList box = check(f, f.w().menuAccuracyCheckSpan, 2149);
        QCOMPARE(box[0], QStringLiteral("Accuracy check with span gas: PASS"));
        QCOMPARE(
            box.mid(4, 2),
            QStringList({"Difference: +149.0 ppm (+7.5 %)", "Tolerance: ±150 ppm (50 ppm + 5 %)"}));

        f.fake.dialogs.messageAnswers << MessageResult::Ok << MessageResult::Cancel;
        box = check(f, f.w().menuAccuracyCheckSpan, 2151);
        QCOMPARE(box[0], QStringLiteral("Accuracy check with span gas: FAIL"));
        QCOMPARE(box.last(), QStringLiteral("Calibrate the span point now?"));
        QCOMPARE(f.fake.dialogs.shown.last().buttons, MessageButtons::OkCancel);
        QCOMPARE(f.fake.desktop.beeps, 1);
        // Cancel: nothing starts, nothing is asked of the transmitter.
        QVERIFY(!f.w().session().SpanCalibrationRunning);
        QCOMPARE(f.fake.port.written, QByteArray("X\r").repeated(10));
        const QStringList rows = recordText(f).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(rows.size(), 3);
        QVERIFY(rows[1].contains(",check span,pass,10,2000,2000,2000,"));
        QVERIFY(rows[2].contains(",check span,fail,10,2000,2000,2000,"));
    }

    void aFailedZeroCheckOffersTheCalibrationWithoutStartingIt()
    {
        CalibrationFixture f;
        f.fake.dialogs.messageAnswers << MessageResult::Ok << MessageResult::Ok
                                      << MessageResult::Cancel;
        check(f, f.w().menuAccuracyCheckZero, 80);
        // OK on the failed check leads to the calibration's own question.
        QCOMPARE(f.fake.dialogs.messageTexts().last(),
                 QStringLiteral("Are you ready with the zero gas?"));
        QVERIFY(!f.w().session().ZeroCalibrationRunning);
    }

    void aGasThatHasNotSettledGivesNoVerdict()
    {
        CalibrationFixture f;
        f.w().session().NumberOfSamples = 10;
        f.w().menuAccuracyCheckZero->trigger();
        f.forget();
        for (int i = 0; i < 10; ++i) {
            f.transmitter.setReading(20000, 30000, 60 - 5 * i, 60 - 5 * i);
            f.poll();
        }
        const QStringList box = f.fake.dialogs.messageTexts().value(0).split(u'\r');
        QCOMPARE(box[0], QStringLiteral("Accuracy check with zero gas: NOT SETTLED"));
        QVERIFY(box.contains("The CO2 reading was still falling during the run: −150 ppm/min"));
        QVERIFY(recordText(f).contains(",check zero,not settled,10,"));
    }

    void cancelEndsACheckWithoutARowAndRunsHoldOffTheRest()
    {
        CalibrationFixture f;
        f.w().session().NumberOfSamples = 10;
        f.w().menuAccuracyCheckSpan->trigger();
        f.polls(3);
        f.forget();
        for (QAction *item : {f.w().menuExit, f.w().menuCom[2], f.w().menuAccuracyCheckZero})
            item->trigger();
        QCOMPARE(f.fake.dialogs.messageTexts(),
                 QStringList(3, QStringLiteral("Not possible during calibration!")));
        QVERIFY(!f.w().ZeroButton->isEnabled() && !f.w().SpanButton->isEnabled());
        f.w().CancelButton->click();
        f.polls(10);
        QVERIFY(f.w().ZeroButton->isEnabled());
        QCOMPARE(f.fake.port.written, QByteArray("X\r").repeated(10));
        QVERIFY(!QFile::exists(f.fake.desktop.dataFolder() + "/calibrations.csv"));
        QCOMPARE(f.fake.desktop.ended, 0);
    }
};

QTEST_MAIN(AccuracyCheckTest)
#include "tst_accuracy_check.moc"
