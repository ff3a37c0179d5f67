// What a run shows besides its status line: the progress bar and how steady
// the two signals have been over the samples so far.

#include "calibration/run_stability.h"
#include "calibration_fixture.h"
#include "test_main.h"

#include <QProgressBar>

#include <cmath>

class RunDisplayTest : public QObject {
    Q_OBJECT

private slots:
    void stabilityOfAKnownSeries_data();
    void stabilityOfAKnownSeries();
    void progressAndFiguresFollowTheRun();
};

void RunDisplayTest::stabilityOfAKnownSeries_data()
{
    // Samples 2 s apart unless a time is given; NaN: the figure is not known.
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<QList<double>>("seconds");
    QTest::addColumn<double>("mean");
    QTest::addColumn<double>("deviation");
    QTest::addColumn<double>("drift");
    const double none = std::nan("");
    QTest::newRow("one sample") << QList<double> {1000} << QList<double> {} << 1000.0 << none
                                << none;
    // Summing squares of such signals would lose every digit of the spread.
    QTest::newRow("large signal, small spread")
        << QList<double> {1e9 + 1, 1e9 + 3, 1e9 + 5} << QList<double> {} << 1e9 + 3 << 2.0 << 60.0;
    QTest::newRow("uneven times") << QList<double> {0, 10, 40} << QList<double> {0, 1, 4}
                                  << 50.0 / 3 << std::sqrt(1300.0 / 3) << 600.0;
    QTest::newRow("all at one time")
        << QList<double> {5, 7} << QList<double> {3, 3} << 6.0 << std::sqrt(2.0) << none;
}

void RunDisplayTest::stabilityOfAKnownSeries()
{
    QFETCH(QList<double>, values);
    QFETCH(QList<double>, seconds);
    QFETCH(double, mean);
    QFETCH(double, deviation);
    QFETCH(double, drift);
    SignalStability signal;
    for (qsizetype i = 0; i < values.size(); ++i)
        signal.add(seconds.isEmpty() ? 2.0 * double(i) : seconds[i], values[i]);
    QCOMPARE(signal.count(), values.size());
    QCOMPARE(signal.mean(), mean);
    const auto close = [](std::optional<double> actual, double expected) {
        if (std::isnan(expected))
            return !actual.has_value();
        return actual.has_value() && std::abs(*actual - expected) < 1e-9 * (1 + std::abs(expected));
    };
    QVERIFY2(close(signal.standardDeviation(), deviation),
             qPrintable(QString::number(signal.standardDeviation().value_or(-1), 'g', 17)));
    QVERIFY2(close(signal.driftPerMinute(), drift),
             qPrintable(QString::number(signal.driftPerMinute().value_or(-1), 'g', 17)));
}

void RunDisplayTest::progressAndFiguresFollowTheRun()
{
    CalibrationFixture f;
    auto *progress = f.w().findChild<QProgressBar *>(QStringLiteral("runProgress"));
    const auto shown
        = [&](const char *name) { return f.w().findChild<QLabel *>(QLatin1String(name))->text(); };
    QVERIFY(progress->isHidden());
    QCOMPARE(shown("referenceMean"), QStringLiteral("–"));

    f.w().NumberOfSamples = 3;
    f.w().ZeroButton->click();
    QVERIFY(!progress->isHidden());
    QCOMPARE(progress->text(), QStringLiteral("Sample 0 of 3"));

    f.transmitter.setReading(1000, 30000, 0, 0);
    f.poll();
    QCOMPARE(progress->value(), 1);
    QCOMPARE(progress->text(), QStringLiteral("Sample 1 of 3"));
    QCOMPARE(shown("referenceMean"), QStringLiteral("1000.0"));
    QCOMPARE(shown("referenceStandardDeviation"), QStringLiteral("–"));

    f.transmitter.setReading(1002, 30010, 0, 0);
    f.poll();
    QCOMPARE(progress->text(), QStringLiteral("Sample 2 of 3"));
    QCOMPARE(shown("stabilityCaption"), QStringLiteral("This run"));

    f.transmitter.setReading(1004, 30021, 0, 0);
    f.poll();
    // The run is over: its figures stay for the technician to read.
    QVERIFY(isIdle(f.w()));
    QVERIFY(progress->isHidden());
    QCOMPARE(shown("stabilityCaption"), QStringLiteral("Last run"));
    QCOMPARE(shown("referenceMean"), QStringLiteral("1002.0"));
    QCOMPARE(shown("referenceStandardDeviation"), QStringLiteral("2.0"));
    QCOMPARE(shown("co2Mean"), QStringLiteral("30010.3"));
    QCOMPARE(shown("co2StandardDeviation"), QStringLiteral("10.5"));
    // Readings 2005 ms apart: 2 counts in 2.005 s.
    QCOMPARE(shown("referenceDrift"), QStringLiteral("+59.9"));
    QCOMPARE(shown("co2Drift"), QStringLiteral("+314.2"));
    // The run's own means go out, 30010.33 as the nearest whole number.
    QCOMPARE(f.w().NewR0, QStringLiteral("1002"));
    QVERIFY(f.fake.port.written.endsWith("X\rT030010\rR01002\rSAVE\rNOTEST\r"));

    // A new run starts its figures afresh; a cancel hides the progress and
    // keeps the figures.
    f.w().ZeroButton->click();
    QCOMPARE(progress->text(), QStringLiteral("Sample 0 of 3"));
    QCOMPARE(shown("co2Mean"), QStringLiteral("–"));
    f.poll();
    f.w().CancelButton->click();
    QVERIFY(progress->isHidden());
    QCOMPARE(shown("co2Mean"), QStringLiteral("30021.0"));
}

int main(int argc, char *argv[])
{
    return runTests<RunDisplayTest>(argc, argv);
}

#include "tst_run_display.moc"
