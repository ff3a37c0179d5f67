// The sampling run shared by the zero and the span calibration: one sample
// per valid reading, the running means, the progress shown, and the ways a
// run ends.

#include "tst_calibration.h"

#include "calibration_fixture.h"
#include "test_main.h"

#include <QRegularExpression>

void CalibrationRunTest::samplesGiveRunningMeans()
{
    CalibrationFixture f;
    f.w().NumberOfSamples = 3;
    f.w().ZeroButton->click();
    for (const auto &[rx, tx] : {std::pair {1000, 2000}, {1002, 2000}, {1004, 2003}}) {
        f.transmitter.setReading(rx, tx, 0, 0);
        f.poll();
    }
    QCOMPARE(f.w().RxMean, 1002.0);
    QCOMPARE(f.w().NewR0, QStringLiteral("1002"));
    // 2001.33 on the wire as a whole number.
    QVERIFY(f.fake.port.written.contains("X\rT02001\rR01002\rSAVE\r"));
}

void CalibrationRunTest::runEndsAtTheNumberOfSamples_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<double>("samples");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("firstProgress");

    const QString zero = QStringLiteral("Sampling data for Zero Calibration (Sample");
    QTest::newRow("cancelled keeps 100") << "" << 100.0 << 100 << zero + " 1 of  100)";
    QTest::newRow("1") << "1" << 1.0 << 1 << zero + " 1 of  1)";
    QTest::newRow("10.5 ends at the 11th") << "10.5" << 10.5 << 11 << zero + " 1 of  10.5)";
    QTest::newRow("text after the number") << "7 samples" << 7.0 << 7 << zero + " 1 of  7)";
    QTest::newRow("abc reads as 0") << "abc" << 0.0 << 1 << zero + " 1 of  0)";
    QTest::newRow("negative") << "-5" << -5.0 << 1 << zero + " 1 of -5)";
}

void CalibrationRunTest::runEndsAtTheNumberOfSamples()
{
    QFETCH(QString, answer);
    QFETCH(double, samples);
    QFETCH(int, length);
    QFETCH(QString, firstProgress);
    CalibrationFixture f;
    f.fake.dialogs.inputAnswers << answer;
    f.w().menuNumberOfSamples->trigger();
    QCOMPARE(f.fake.dialogs.shown.size(), 1);
    const ShownBox prompt = f.fake.dialogs.shown.first();
    QCOMPARE(prompt.kind, ShownBox::Input);
    QCOMPARE(prompt.text,
             QStringLiteral("Number of Samples for Calibration.\r\rDefault (100) samples will take "
                            "200 seconds.\r\rDo not decrease this value!"));
    QCOMPARE(prompt.title, QStringLiteral("Number Of Samples"));
    QCOMPARE(prompt.defaultText, QStringLiteral("100"));
    QCOMPARE(f.w().NumberOfSamples, samples);

    f.w().ZeroButton->click();
    f.polls(length - 1);
    QVERIFY(f.w().ZeroCalibrationRunning);
    f.poll();
    QVERIFY(f.idle());
    // What the window showed when the second command went out.
    const QString second = f.seen.at(f.seen.indexOf(QRegularExpression("X\\|.*")) + 1);
    QCOMPARE(second.section(u'|', 1), firstProgress + "|blue|normal");
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
    QVERIFY(f.idle());
    QCOMPARE(f.w().SampleCount, 21);
    QVERIFY(f.transmitter.commands.contains("SAVE"));
}

void CalibrationRunTest::replyDuringARun_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("colour");

    const QString second = QStringLiteral("Sampling data for Zero Calibration (Sample 2 of  3)");
    QTest::newRow("valid") << ScriptedTransmitter::reading(21000, 31000, 0, 0) << 2 << second
                           << 16711680;
    QByteArray noTab = ScriptedTransmitter::reading(21000, 31000, 0, 0);
    noTab[3 + 6] = ' ';
    QTest::newRow("no tab") << noTab << 1 << second << 16711680;
    // The warning replaces the progress, and the sample still counts.
    QTest::newRow("weak IR") << ScriptedTransmitter::reading(500, 31000, 0, 0) << 2
                             << "Transmitter Failure, IR-signal Low!" << 255;
}

void CalibrationRunTest::replyDuringARun()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, count);
    QFETCH(QString, status);
    QFETCH(int, colour);
    CalibrationFixture f;
    f.w().NumberOfSamples = 3;
    f.transmitter.setReading(20000, 30000, 0, 0);
    f.w().ZeroButton->click();
    f.poll();
    f.transmitter.answerRaw("X", {{reply}});
    f.poll();
    QCOMPARE(f.w().SampleCount, count);
    QCOMPARE(f.w().Status->text(), status);
    QCOMPARE(statusColour(f.w().Status), colour);
    if (count == 1)
        QCOMPARE(f.w().RxMean, 20000.0);
    QVERIFY(f.w().ZeroCalibrationRunning);
}

void CalibrationRunTest::cancelEndsTheRunAtOnceAndStoresNothing()
{
    CalibrationFixture f;
    f.w().ZeroButton->click();
    f.polls(2);
    const QByteArray before = f.fake.port.written;
    f.w().CancelButton->click();
    QVERIFY(f.idle());
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
    QVERIFY(f.idle());
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
