// A run the judgement doubts asks before anything is written; the technician's
// answer decides and is recorded. While idle, the panel says when the gas has
// settled.

#include "calibration_fixture.h"

#include <QLabel>
#include <QStatusBar>

#include <cmath>

class DoubtfulRunTest : public QObject {
    Q_OBJECT

private:
    static QString lastRecordRow(CalibrationFixture &f)
    {
        const QStringList rows
            = QString::fromUtf8(readFile(f.fake.desktop.dataFolder() + "/calibrations.csv"))
                  .split(u'\n', Qt::SkipEmptyParts);
        return rows.last();
    }
    // A zero run of ten readings on a gas of `ppm`.
    static void zeroRun(CalibrationFixture &f, double ppm)
    {
        f.w().NumberOfSamples = 10;
        f.transmitter.setReading(20000, 30000, ppm, ppm);
        f.w().ZeroButton->click();
        f.forget();
        f.polls(10);
    }

private slots:
    void aZeroOnAirAsksBeforeWritingAndCancelWritesNothing()
    {
        CalibrationFixture f;
        f.fake.dialogs.messageAnswers << MessageResult::Ok << MessageResult::Cancel;
        zeroRun(f, 452);
        QCOMPARE(f.fake.dialogs.shown.size(), 1);
        const ShownBox box = f.fake.dialogs.shown.last();
        QVERIFY2(box.text.contains("The transmitter read 452 ppm on a zero gas"),
                 qPrintable(box.text));
        QVERIFY(box.text.contains("more than the 250 ppm a drifted transmitter plausibly needs"));
        QVERIFY(box.text.endsWith("Store the zero point all the same?"));
        QCOMPARE(box.buttons, MessageButtons::OkCancelSafe);
        QCOMPARE(box.icon, MessageIcon::Question);
        QCOMPARE(box.title, MainWindow::applicationTitle);
        QCOMPARE(f.fake.desktop.beeps, 1);
        // Only the readings went out; the run is over and says so.
        QCOMPARE(f.fake.port.written, QByteArray("X\r").repeated(10));
        QVERIFY(isIdle(f.w()));
        QVERIFY(!f.w().menuUndoZeroCalibration->isEnabled());
        QCOMPARE(f.w().statusBar()->currentMessage(),
                 QStringLiteral("Zero calibration refused: nothing written"));
        const QString row = lastRecordRow(f);
        QVERIFY2(row.contains(",zero,refused: ") && row.contains("452"), qPrintable(row));
    }

    void okStoresTheDoubtfulRunAndRecordsTheWarning()
    {
        CalibrationFixture f;
        zeroRun(f, 452); // the fake boxes answer OK
        QCOMPARE(f.fake.dialogs.messageTexts().last(), QStringLiteral("Zero Point Set And Saved"));
        QVERIFY(f.fake.port.written.endsWith("X\rT030000\rR020000\rSAVE\rNOTEST\r"));
        const QString row = lastRecordRow(f);
        QVERIFY2(row.contains(",zero,stored after warning: "), qPrintable(row));
    }

    void theToleranceIsTheTechniciansAndKept()
    {
        CalibrationFixture f;
        f.fake.dialogs.inputAnswers << QStringLiteral("fifty") << QStringLiteral("300 + 2");
        f.w().menuCalibrationTolerance->trigger();
        QCOMPARE(f.fake.dialogs.messageTexts().last(),
                 QStringLiteral("The tolerance must be two numbers, such as \"50 ppm + 5 %\"."));
        f.w().menuCalibrationTolerance->trigger();
        QCOMPARE(f.fake.dialogs.shown.last().defaultText, QStringLiteral("50 ppm + 5 %"));
        // Another window, another day: 280 ppm on the zero gas is within a
        // tolerance of 300, which no correction limit narrows.
        f.window.reset();
        f.startLinked();
        f.forget();
        f.fake.dialogs.inputAnswers << QString(); // Cancel keeps it
        f.w().menuCalibrationTolerance->trigger();
        QCOMPARE(f.fake.dialogs.shown.last().defaultText, QStringLiteral("300 ppm + 2 %"));
        f.forget();
        zeroRun(f, 280);
        QCOMPARE(f.fake.dialogs.messageTexts(), QStringList("Zero Point Set And Saved"));
    }

    void theIdleVerdictTurnsToSettledAsTheGasSettles()
    {
        CalibrationFixture f;
        auto *verdict = f.w().findChild<QLabel *>(QStringLiteral("settledVerdict"));
        QStringList seen;
        // Span gas reaching the cell with a time constant of 15 s.
        for (int i = 0; i < 60; ++i) {
            const double ppm = 2000 - 1600 * std::exp(-2.0 * i / 15.0) + (i % 2 ? 3 : -3);
            f.transmitter.setReading(20000, 25000, ppm, ppm);
            f.poll();
            if (seen.isEmpty() || seen.last() != verdict->text())
                seen << verdict->text();
        }
        QCOMPARE(seen, QStringList({"", "still changing", "settled"}));
        const auto *mean = f.w().findChild<QLabel *>(QStringLiteral("recentMean"));
        QVERIFY2(std::abs(mean->text().toDouble() - 2000) < 5, qPrintable(mean->text()));
    }
};

QTEST_MAIN(DoubtfulRunTest)
#include "tst_doubtful_run.moc"
