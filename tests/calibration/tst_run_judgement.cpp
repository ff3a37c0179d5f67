// The judgement of a calibration run and the idle display's recent readings,
// on scripted readings: hand-worked figures for small series, and seeded noise
// around a gas that reaches the sensor through a first-order lag.

#include "calibration/run_judgement.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <random>

using GasProfile = std::function<double(double)>;
Q_DECLARE_METATYPE(GasProfile)

namespace {

constexpr double poll = 2.0;

// Normal noise from a fixed engine and transform, the same on every library.
class Noise {
public:
    explicit Noise(std::uint64_t seed) : m_engine(seed) { }
    double next()
    {
        const double u1 = 1.0 - double(m_engine() >> 11) * 0x1.0p-53;
        const double u2 = double(m_engine() >> 11) * 0x1.0p-53;
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
    }

private:
    std::mt19937_64 m_engine;
};

// A run of `samples` polls, the first at `start` seconds; the transmitter's
// readings clip at 0 as on zero gas.
ReadingSeries run(int samples, const GasProfile &gasAt, double noisePpm,
                  std::uint64_t seed = 1, double start = poll)
{
    Noise noise(seed);
    ReadingSeries series(samples);
    for (int i = 0; i < samples; ++i) {
        const double t = start + poll * i;
        series.add(t, 20000, std::max(0.0, std::round(gasAt(t) + noisePpm * noise.next())));
    }
    return series;
}

// The gas in the cell after a switch at time 0 from `from` to `to`.
GasProfile lagged(double from, double to, double tau, double switchAt = 0)
{
    return [=](double t) {
        return t < switchAt ? from : to + (from - to) * std::exp(-(t - switchAt) / tau);
    };
}

GasProfile steady(double ppm)
{
    return [=](double) { return ppm; };
}

ReadingSeries fromList(const QList<double> &ppm, const QList<double> &rx = {})
{
    ReadingSeries series(int(ppm.size()));
    for (qsizetype i = 0; i < ppm.size(); ++i)
        series.add(poll * double(i), rx.isEmpty() ? 20000 : rx[i], ppm[i]);
    return series;
}

} // namespace

class RunJudgementTest : public QObject {
    Q_OBJECT

private slots:
    void seriesFiguresOfFourReadings()
    {
        // ppm 10 14 12 20 at 0 2 4 6 s: deviations -4 0 -2 6 (56 squared),
        // successive differences 4 -2 8 (84 squared), Sxx 20, Sxy 28.
        const ReadingSeries s = fromList({10, 14, 12, 20}, {20000, 999, 1000, 0});
        QCOMPARE(s.count(), 4);
        QCOMPARE(s.mean(), 14.0);
        QVERIFY(qAbs(*s.standardDeviation() - 4.3205) < 1e-4); // sqrt(56 / 3)
        QVERIFY(qAbs(*s.noise() - 3.7417) < 1e-4); // sqrt(84 / 6)
        QCOMPARE(s.noiseDegreesOfFreedom(), 2.25); // 2 * 9 / 8
        QCOMPARE(s.durationSeconds(), 6.0);
        QVERIFY(qAbs(s.slopePerMinute()->value - 84) < 1e-9); // 28 / 20 per s
        QVERIFY(qAbs(s.slopePerMinute()->standardError - 50.200) < 1e-3); // 3.7417/sqrt(20)*60
        QCOMPARE(s.firstHalfMean(), 12.0);
        QCOMPARE(s.secondHalfMean(), 16.0);
        QVERIFY(qAbs(s.halfStep()->value - 4) < 1e-9);
        QVERIFY(qAbs(s.halfStep()->standardError - 3.7417) < 1e-4); // sqrt(1/2 + 1/2)
        // Only 0 < Rx < 1000 carries the warning.
        QCOMPARE(s.weakSignalCount(), 1);
    }

    void halvesSplitAtThePlannedMiddle()
    {
        ReadingSeries odd(3); // one reading, then two (and any beyond the plan)
        for (double ppm : {10, 20, 30, 40})
            odd.add(ppm, 20000, ppm);
        QCOMPARE(odd.firstHalfMean(), 10.0);
        QCOMPARE(odd.secondHalfMean(), 30.0);

        ReadingSeries one(1);
        one.add(0, 20000, 5);
        QVERIFY(!one.standardDeviation() && !one.noise() && !one.slopePerMinute()
                && !one.halfStep());
        QVERIFY(testSettledness(one, 50).settled());
    }

    void criticalValueFollowsStudentsT()
    {
        QCOMPARE(criticalT(1), 318.309);
        QCOMPARE(criticalT(10), 4.144);
        // Ten readings: 6.23 degrees of freedom, between the rows of 6 and 7.
        QVERIFY(qAbs(criticalT(162.0 / 26) - 5.0983) < 1e-4);
        QVERIFY(qAbs(criticalT(240) - 3.125) < 1e-9);
        QVERIFY(std::isinf(criticalT(0.5)));
    }

    void toleranceGrowsWithTheGas()
    {
        QCOMPARE(toleranceAt({}, 0), 50.0);
        QCOMPARE(toleranceAt({}, 2000), 150.0);
        QCOMPARE(toleranceAt({20, 2}, 1000), 40.0);
    }

    void settledRunsPass_data()
    {
        QTest::addColumn<int>("samples");
        QTest::addColumn<double>("gas");
        QTest::addColumn<double>("noise");
        for (int n : {2, 10, 100}) {
            for (double noise : {0.0, 10.0, 39.0})
                QTest::addRow("span N=%d noise %g ppm", n, noise) << n << 2000.0 << noise;
            QTest::addRow("zero N=%d clipped noise 13 ppm", n) << n << 0.0 << 13.0;
        }
    }
    void settledRunsPass()
    {
        QFETCH(int, samples);
        QFETCH(double, gas);
        QFETCH(double, noise);
        for (std::uint64_t seed = 1; seed <= 20; ++seed) {
            const RunJudgement j = judgeRun(run(samples, steady(gas), noise, seed), gas);
            QVERIFY2(j.passed(), qPrintable(QString::number(seed) + ": " + j.reasonCode()));
        }
    }

    void changesAreQuestionedOnlyPastNoiseAndFloor_data()
    {
        QTest::addColumn<GasProfile>("gas");
        QTest::addColumn<double>("noise");
        QTest::addColumn<bool>("trend");
        QTest::addColumn<bool>("step");
        // 100 readings span 198 s; the floor on 2000 ppm is 60 ppm.
        const auto line = [](double perMinute) {
            return std::function([=](double t) { return 2000 + perMinute * t / 60; });
        };
        const auto stepTo = [](double ppm) {
            return std::function([=](double t) { return t < 101 ? 2000.0 : ppm; });
        };
        QTest::newRow("rising 40 ppm/min: 132 ppm over the run, halves 67 apart")
            << line(40) << 39.0 << true << true;
        QTest::newRow("falling 30 ppm/min: 99 ppm over the run, halves 50 apart")
            << line(-30) << 39.0 << true << false;
        QTest::newRow("10 ppm/min, 33 ppm: significant, under the floor")
            << line(10) << 5.0 << false << false;
        QTest::newRow("step down 100 ppm half-way") << stepTo(1900) << 39.0 << true << true;
        // A mid-run step moves the least-squares line by 1.5 times the step.
        QTest::newRow("step 30 ppm, trend 45 ppm: under the floor")
            << stepTo(1970) << 5.0 << false << false;
        QTest::newRow("step 50 ppm: the step under the floor, its trend over it")
            << stepTo(1950) << 5.0 << true << false;
    }
    void changesAreQuestionedOnlyPastNoiseAndFloor()
    {
        QFETCH(GasProfile, gas);
        QFETCH(double, noise);
        QFETCH(bool, trend);
        QFETCH(bool, step);
        const Settledness s = testSettledness(run(100, gas, noise, 3, 0), 150);
        QCOMPARE(s.trendQuestioned, trend);
        QCOMPARE(s.stepQuestioned, step);
        QCOMPARE(s.floorPpm, 60.0);
        // 2 * 99^2 / 296 = 66.2 degrees of freedom, between the rows of 60 and 120.
        QVERIFY(qAbs(s.criticalValue - 3.2185) < 1e-4);
    }

    void twoReadingsAreNeverQuestionedAsUnsettled()
    {
        // Their one difference is both the change and the noise.
        const RunJudgement j = judgeRun(fromList({1000, 2000}), 1500);
        QVERIFY(j.settled);
        QVERIFY(j.passed());
    }

    void everyTechniciansMistakeIsQuestioned_data()
    {
        QTest::addColumn<GasProfile>("gas");
        QTest::addColumn<double>("applied");
        QTest::addColumn<int>("samples");
        QTest::addColumn<double>("noise");
        // Noise of 0.2 % signal noise: 13 ppm at zero, 39 ppm at 2000 ppm. A
        // run "started as the gas was switched on" reads first 2 s after it.
        for (int n : {10, 100}) {
            for (double tau : {10.0, 60.0}) {
                QTest::addRow("zero started on the switch, tau %g, N %d", tau, n)
                    << lagged(450, 0, tau) << 0.0 << n << 13.0;
                QTest::addRow("span started on the switch, tau %g, N %d", tau, n)
                    << lagged(450, 2000, tau) << 2000.0 << n << 39.0;
            }
            QTest::addRow("zero on room air, N %d", n) << steady(450) << 0.0 << n << 13.0;
            QTest::addRow("zero with the span gas, N %d", n) << steady(2000) << 0.0 << n << 39.0;
            QTest::addRow("span with the zero gas, N %d", n) << steady(0) << 2000.0 << n << 13.0;
            QTest::addRow("span cylinder 1600, N %d", n) << steady(1600) << 2000.0 << n << 39.0;
            // With ten readings, a minute's time constant lets only 9 s of
            // the empty cylinder reach the cell: see judgement_bench.
            QTest::addRow("span gas runs out, tau 20, N %d", n)
                << lagged(2000, 450, 20, poll * (n / 2) + 1) << 2000.0 << n << 39.0;
        }
    }
    void everyTechniciansMistakeIsQuestioned()
    {
        QFETCH(GasProfile, gas);
        QFETCH(double, applied);
        QFETCH(int, samples);
        QFETCH(double, noise);
        for (std::uint64_t seed = 1; seed <= 10; ++seed) {
            const RunJudgement j = judgeRun(run(samples, gas, noise, seed), applied);
            QVERIFY2(!j.passed(), qPrintable(QString::number(seed)));
        }
    }

    void aZeroRunOnTheTailIsCaughtByItsTrendAlone()
    {
        // Time constant 10 s, 100 readings: the mean lies inside the
        // tolerance, the trend gives it away.
        const RunJudgement j = judgeRun(run(100, lagged(450, 0, 10), 13.0), 0);
        QVERIFY(j.plausible);
        QVERIFY(j.settledness.trendQuestioned);
        QVERIFY(j.settledness.trend->value < 0);
    }

    void correctionAtTheEdgeOfTheTolerance_data()
    {
        QTest::addColumn<double>("reading");
        QTest::addColumn<double>("applied");
        QTest::addColumn<bool>("plausible");
        QTest::newRow("span 149 high") << 2149.0 << 2000.0 << true;
        QTest::newRow("span 150 high") << 2150.0 << 2000.0 << true;
        QTest::newRow("span 151 high") << 2151.0 << 2000.0 << false;
        QTest::newRow("span 151 low") << 1849.0 << 2000.0 << false;
        QTest::newRow("zero 50") << 50.0 << 0.0 << true;
        QTest::newRow("zero 51") << 51.0 << 0.0 << false;
    }
    void correctionAtTheEdgeOfTheTolerance()
    {
        QFETCH(double, reading);
        QFETCH(double, applied);
        QFETCH(bool, plausible);
        const RunJudgement j = judgeRun(run(10, steady(reading), 0), applied);
        QCOMPARE(j.asFoundPpm, reading);
        QCOMPARE(j.differencePpm, reading - applied);
        QCOMPARE(j.plausible, plausible);
        QCOMPARE(j.passed(), plausible);
    }

    void reasonsInPlainWords_data()
    {
        QTest::addColumn<QList<double>>("ppm");
        QTest::addColumn<QList<double>>("rx");
        QTest::addColumn<double>("applied");
        QTest::addColumn<QStringList>("reasons");
        QTest::addColumn<QString>("code");
        const QList<double> healthy(10, 20000);
        // 2180 down by 10 a reading: -300 ppm/min, 12.8 standard errors;
        // the halves differ by 50 ppm, under the floor of 60; mean 2135. On
        // zero gas the same rise passes the floor of 20 with its halves too.
        QTest::newRow("falling")
            << QList<double> {2180, 2170, 2160, 2150, 2140, 2130, 2120, 2110, 2100, 2090}
            << healthy << 2000.0
            << QStringList {QStringLiteral("The CO2 reading was still falling during the run: "
                                           "\u2212300 ppm/min")}
            << QStringLiteral("still falling \u2212300 ppm/min");
        // One jump of 600: noise 141.4, the step 6.7 and the slope
        // (-15000/330 ppm/s) 5.8 standard errors out, both past k 5.1.
        QTest::newRow("step")
            << QList<double> {2000, 2000, 2000, 2000, 2000, 1400, 1400, 1400, 1400, 1400}
            << healthy << 2000.0
            << QStringList {
                   QStringLiteral("The CO2 reading was still falling during the run: "
                                  "\u22122727 ppm/min"),
                   QStringLiteral("The CO2 reading changed part-way through the run: from 2000 "
                                  "ppm to 1400 ppm"),
                   QStringLiteral("The transmitter read 1700 ppm on a span gas of 2000 ppm: a "
                                  "correction of 300 ppm is more than the tolerance of 150 ppm")}
            << QStringLiteral("still falling \u22122727 ppm/min; step 2000 to 1400 ppm; off by "
                              "\u2212300 ppm (tolerance 150)");
        QTest::newRow("rising, zero on air, one weak reading")
            << QList<double> {400, 410, 420, 430, 440, 450, 460, 470, 480, 490}
            << QList<double> {20000, 20000, 999, 20000, 20000, 20000, 20000, 20000, 20000, 20000}
            << 0.0
            << QStringList {
                   QStringLiteral("The CO2 reading was still rising during the run: 300 ppm/min"),
                   QStringLiteral("The CO2 reading changed part-way through the run: from 420 "
                                  "ppm to 470 ppm"),
                   QStringLiteral("The transmitter read 445 ppm on a zero gas: a correction of "
                                  "445 ppm is more than the tolerance of 50 ppm"),
                   QStringLiteral("1 reading of the run carried the IR-signal warning (reference "
                                  "signal below 1000)")}
            << QStringLiteral("still rising 300 ppm/min; step 420 to 470 ppm; off by 445 ppm "
                              "(tolerance 50); IR low in 1");
        QTest::newRow("three weak readings")
            << QList<double>(10, 2000) << QList<double> {800, 20000, 20000, 1, 20000, 20000,
                                                          20000, 20000, 20000, 999}
            << 2000.0
            << QStringList {QStringLiteral("3 readings of the run carried the IR-signal "
                                           "warning (reference signal below 1000)")}
            << QStringLiteral("IR low in 3");
    }
    void reasonsInPlainWords()
    {
        QFETCH(QList<double>, ppm);
        QFETCH(QList<double>, rx);
        QFETCH(double, applied);
        QFETCH(QStringList, reasons);
        QFETCH(QString, code);
        const RunJudgement j = judgeRun(fromList(ppm, rx), applied);
        QCOMPARE(j.reasons(), reasons);
        QCOMPARE(j.reasonCode(), code);
        QVERIFY(!j.passed());
    }

    void recentReadingsKeepTheLastThirtySeconds()
    {
        RecentReadings recent;
        recent.add(0, 20000, 100);
        recent.add(10, 20000, 110);
        QCOMPARE(recent.verdict(), RecentReadings::Verdict::TooFewReadings);
        QCOMPARE(recent.verdictText(), QString());
        recent.add(20, 20000, 130);
        // Deviations -13.33 -3.33 16.67; Sxx 200, Sxy 300.
        QVERIFY(qAbs(recent.mean() - 113.3333) < 1e-4);
        QVERIFY(qAbs(*recent.standardDeviation() - 15.2753) < 1e-4);
        QVERIFY(qAbs(*recent.driftPerMinute() - 90) < 1e-9);
        recent.add(30, 20000, 140); // the reading of 0 s is now 30 s old
        QCOMPARE(recent.count(), 3);
        QVERIFY(qAbs(recent.mean() - 126.6667) < 1e-4);
        recent.add(39.9, 20000, 140);
        QCOMPARE(recent.count(), 4);
        recent.add(40, 20000, 140);
        QCOMPARE(recent.count(), 4);
    }

    void recentReadingsFloorFollowsTheLevel_data()
    {
        QTest::addColumn<double>("level");
        QTest::addColumn<QString>("verdict");
        // 1.5 ppm/s over 28 s: 42 ppm along the line, the halves 22.5 apart.
        QTest::newRow("span gas, floor 60") << 2000.0 << QStringLiteral("settled");
        QTest::newRow("room air, floor 28") << 400.0 << QStringLiteral("still changing");
    }
    void recentReadingsFloorFollowsTheLevel()
    {
        QFETCH(double, level);
        QFETCH(QString, verdict);
        RecentReadings recent;
        for (double t = 0; t <= 28; t += poll)
            recent.add(t, 20000, level + 1.5 * t);
        QCOMPARE(recent.verdictText(), verdict);
        // Seven readings, then eight: 0..12 s and 14..28 s.
        QVERIFY(qAbs(recent.settledness().step->value - 22.5) < 1e-9);
    }

    void recentReadingsSettleWithTheGas()
    {
        // Span gas switched on at 0 s, time constant 10 s, 0.05 % noise.
        const auto gas = lagged(450, 2000, 10);
        Noise noise(5);
        RecentReadings recent;
        QStringList verdicts;
        for (double t = 2; t <= 120; t += poll) {
            recent.add(t, 20000, std::round(gas(t) + 10 * noise.next()));
            if (t == 20 || t == 50 || t == 70 || t == 120)
                verdicts << recent.verdictText();
        }
        // The noise-free tail in the window changes along its line by 147
        // ppm at 50 s and by 20 at 70 s, against a floor of 59 and 60 ppm.
        QCOMPARE(verdicts,
                 QStringList({"still changing", "still changing", "settled", "settled"}));
        QCOMPARE(recent.count(), 15);
    }
};

QTEST_GUILESS_MAIN(RunJudgementTest)
#include "tst_run_judgement.moc"
