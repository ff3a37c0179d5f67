// The accuracy check: the transmitter's readings against the zero or span gas,
// a verdict against the tolerance, a row in the record, and nothing written
// into the transmitter.

#include "session_fixture.h"

using K = CalibrationKind;

class AccuracyCheckTest : public QObject {
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
};

QTEST_MAIN(AccuracyCheckTest)
#include "tst_accuracy_check.moc"
