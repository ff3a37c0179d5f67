// The sampling run shared by the zero and the span calibration: one sample
// per valid reading, the running means, the progress shown, and the ways a
// run ends.

#include "tst_calibration.h"

#include "calibration_fixture.h"
#include "test_main.h"

#include <QRegularExpression>

void CalibrationRunTest::runEndsAtTheNumberOfSamples_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<double>("samples");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("shownNumber");

    QTest::newRow("cancelled keeps 100") << "" << 100.0 << 100 << "  100";
    QTest::newRow("1") << "1" << 1.0 << 1 << "  1";
    QTest::newRow("10.5 ends at the 11th") << "10.5" << 10.5 << 11 << "  10.5";
    QTest::newRow("text after the number") << "7 samples" << 7.0 << 7 << "  7";
    QTest::newRow("abc reads as 0") << "abc" << 0.0 << 1 << "  0";
    QTest::newRow("negative") << "-5" << -5.0 << 1 << " -5";
}

void CalibrationRunTest::runEndsAtTheNumberOfSamples()
{
    QFETCH(QString, answer);
    QFETCH(double, samples);
    QFETCH(int, length);
    QFETCH(QString, shownNumber);
    CalibrationFixture f;
    f.fake.dialogs.inputAnswers << answer;
    f.w().menuNumberOfSamples->trigger();
    QCOMPARE(f.fake.dialogs.shown.size(), 1);
    QCOMPARE(f.fake.dialogs.shown.first().defaultText, QStringLiteral("100"));
    QCOMPARE(f.w().NumberOfSamples, samples);

    f.w().ZeroButton->click();
    f.polls(length - 1);
    QVERIFY(f.w().ZeroCalibrationRunning);
    f.poll();
    QVERIFY(isIdle(f.w()));
    // What the window showed when the second command went out.
    const QString second = f.seen.at(f.seen.indexOf(QRegularExpression("X\\|.*")) + 1);
    QCOMPARE(second.section(u'|', 1),
             "Sampling data for Zero Calibration (Sample 1 of" + shownNumber + ")|blue|normal");
    QCOMPARE(f.w().ppmDisplay->text(), QStringLiteral("sample"));
    QCOMPARE(f.w().ppmText->text(), QStringLiteral("# %1").arg(length));
    // The run takes as many valid readings as it asks for, not one more.
    QCOMPARE(f.transmitter.commands.count("X"), length);
    QCOMPARE(f.transmitter.commands.last(), QByteArray("NOTEST"));
    QVERIFY(f.w().menuUndoZeroCalibration->isEnabled());
}

void CalibrationRunTest::loweringTheNumberDuringARunEndsItAtTheNextSample()
{
    CalibrationFixture f;
    f.w().ZeroButton->click();
    f.polls(20);
    QVERIFY(f.w().ZeroCalibrationRunning);
    f.fake.dialogs.inputAnswers << QStringLiteral("10");
    f.w().menuNumberOfSamples->trigger();
    QVERIFY(f.w().ZeroCalibrationRunning);
    f.poll();
    QVERIFY(isIdle(f.w()));
    QCOMPARE(f.w().SampleCount, 21);
    QVERIFY(f.transmitter.commands.contains("SAVE"));
}

void CalibrationRunTest::badRepliesDuringARun()
{
    CalibrationFixture f;
    f.w().NumberOfSamples = 3;
    f.transmitter.setReading(20000, 30000, 0, 0);
    f.w().ZeroButton->click();
    f.poll();
    // A reading without its tab is no sample.
    QByteArray noTab = ScriptedTransmitter::reading(21000, 31000, 0, 0);
    noTab[3 + 6] = ' ';
    f.transmitter.answerRaw("X", {{noTab}});
    f.poll();
    QCOMPARE(f.w().SampleCount, 1);
    QCOMPARE(f.w().RxMean, 20000.0);
    QCOMPARE(f.w().Status->text(),
             QStringLiteral("Sampling data for Zero Calibration (Sample 2 of  3)"));
    QCOMPARE(statusColour(f.w().Status), 16711680);
    // The warning replaces the progress, and the sample still counts.
    f.transmitter.answerRaw("X", {{ScriptedTransmitter::reading(500, 31000, 0, 0)}});
    f.poll();
    QCOMPARE(f.w().SampleCount, 2);
    QCOMPARE(f.w().Status->text(), QStringLiteral("Transmitter Failure, IR-signal Low!"));
    QCOMPARE(statusColour(f.w().Status), 255);
    QVERIFY(f.w().ZeroCalibrationRunning);
}

void CalibrationRunTest::cancelEndsTheRunAtOnceAndStoresNothing()
{
    CalibrationFixture f;
    f.w().ZeroButton->click();
    f.polls(2);
    const QByteArray before = f.fake.port.written;
    f.w().CancelButton->click();
    QVERIFY(isIdle(f.w()));
    QCOMPARE(f.fake.port.written, before);
    // What the run showed stays until the next reading.
    QCOMPARE(f.w().Status->text(),
             QStringLiteral("Sampling data for Zero Calibration (Sample 2 of  100)"));
    QCOMPARE(f.w().ppmDisplay->text(), QStringLiteral("sample"));
    f.poll();
    QCOMPARE(f.w().Status->text(), QStringLiteral("Serial Connection OK"));
    QCOMPARE(f.w().ppmDisplay->text(), QStringLiteral("400"));
    QCOMPARE(f.fake.port.written, before + "X\r");
    QVERIFY(!f.w().menuUndoZeroCalibration->isEnabled());
}

void CalibrationRunTest::silentTransmitterCancelsTheRun()
{
    CalibrationFixture f;
    f.w().ZeroButton->click();
    f.poll();
    f.transmitter.silence("X");
    f.poll();
    QVERIFY(isIdle(f.w()));
    QCOMPARE(f.w().Status->text(),
             QStringLiteral("Transmitter Not Responding, Check Com and Cables"));
    QCOMPARE(statusColour(f.w().Status), 255);
    QCOMPARE(f.w().ppmDisplay->text(), QStringLiteral("????"));
    QCOMPARE(f.fake.desktop.beeps, 1);
    QCOMPARE(f.transmitter.commands, (QList<QByteArray> {"T0", "R0", "X", "X"}));
    QVERIFY(!f.w().menuUndoZeroCalibration->isEnabled());
}

int main(int argc, char *argv[])
{
    return runTests<CalibrationRunTest, ZeroCalibrationTest, SpanCalibrationTest,
                    CalibrationOnSimulatorTest>(argc, argv);
}
