// The judgement of a calibration run, which readings after a store count as
// left, and the idle display's recent readings, on scripted readings:
// hand-worked figures for small series, and seeded noise around a gas that
// reaches the sensor through a first-order lag.

#include "calibration/preferences.h"
#include "judgement/as_left.h"
#include "judgement/run_judgement.h"
#include "record/calibration_record.h"

#include <QFile>
#include <QTemporaryDir>
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

// The gas in the cell: `from` until `switchAt`, then on its way to `to`.
GasProfile lagged(double from, double to, double tau = 1, double switchAt = 0)
{
    return [=](double t) {
        return t < switchAt ? from : to + (from - to) * std::exp(-(t - switchAt) / tau);
    };
}

// Normal noise from a fixed engine and transform, the same on every library.
double normal(std::mt19937_64 &engine)
{
    const double u1 = 1.0 - double(engine() >> 11) * 0x1.0p-53;
    const double u2 = double(engine() >> 11) * 0x1.0p-53;
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
}

// A run of polls from 2 s, the first after a switch at 0 s; the readings
// clip at 0 as the transmitter's do.
ReadingSeries run(int samples, const GasProfile &gasAt, double noisePpm, std::uint64_t seed = 1)
{
    std::mt19937_64 engine(seed);
    ReadingSeries series(samples);
    for (int i = 0; i < samples; ++i) {
        const double t = poll * (i + 1);
        series.add(t, 20000, std::max(0.0, std::round(gasAt(t) + noisePpm * normal(engine))));
    }
    return series;
}

ReadingSeries fromList(const QList<double> &ppm, const QList<double> &rx)
{
    ReadingSeries series(int(ppm.size()));
    for (qsizetype i = 0; i < ppm.size(); ++i)
        series.add(poll * double(i), rx.value(i, 20000), ppm[i]);
    return series;
}

} // namespace

class RunJudgementTest : public QObject {
    Q_OBJECT

private slots:
    void asLeftCountsWhileTheGasIsTheRunsGas_data()
    {
        QTest::addColumn<QList<double>>("readings");
        QTest::addColumn<double>("applied"); // the tolerance is 50 ppm + 5 %
        QTest::addColumn<double>("correction"); // the run's as found less the gas
        QTest::addColumn<double>("noise");
        QTest::addColumn<QString>("counted");
        // At zero the floor is 20 ppm, at 2000 ppm 60 ppm; 2 noises count
        // with the mean's share: 2 * 20 * sqrt(2) = 57 ppm past one reading.
        using L = QList<double>;
        QTest::newRow("zero gas throughout") << L {3, 0, 5, 2, 1} << 0. << 10. << 0. << "1-5";
        QTest::newRow("span gas after one")
            << L {0, 1914, 1928, 1928, 1933} << 0. << 29. << 0. << "1";
        QTest::newRow("span gas after three")
            << L {2, 0, 3, 1960, 2001} << 0. << 29. << 0. << "1-3";
        QTest::newRow("slow lag: adds up against the mean")
            << L {0, 12, 24, 36, 48} << 0. << 29. << 0. << "1-3";
        QTest::newRow("span gas for a moment: the zero after it is not counted")
            << L {2, 0, 1900, 1, 3} << 0. << 29. << 0. << "1-2";
        QTest::newRow("lag: after three") << L {2, 0, 3, 31, 190} << 0. << 29. << 0. << "1-3";
        QTest::newRow("noise of 20 at zero") << L {10, 50, 5, 40, 12} << 0. << 29. << 20. << "1-5";
        QTest::newRow("zero gas after two, at span")
            << L {2003, 1990, 1700, 900, 300} << 2000. << 90. << 10. << "1-2";
        // A store that left the transmitter 300 ppm off still shows it.
        QTest::newRow("300 off") << L {300, 302, 298, 301, 299} << 0. << 20. << 6. << "1-5";
        QTest::newRow("300 off, span gas after two")
            << L {300, 303, 2100, 2400, 2300} << 0. << 20. << 6. << "1-2";
        // After a correction of 149 ppm the first reading may still average
        // old conversions, or show a store that did not take; the second tells.
        QTest::newRow("first a mixture") << L {84, 9, 6, 10, 14} << 0. << 149. << 14. << "2-5";
        QTest::newRow("mixture, then span gas") << L {84, 46, 446, 797} << 0. << 149. << 14. << "2";
        QTest::newRow("mixture or not? span gas") << L {84, 446, 797} << 0. << 149. << 14. << "";
        QTest::newRow("store did not take") << L {150, 151, 149} << 0. << 150. << 0. << "2-3";
    }
    void asLeftCountsWhileTheGasIsTheRunsGas()
    {
        QFETCH(QList<double>, readings);
        QFETCH(double, applied);
        QFETCH(double, correction);
        QFETCH(double, noise);
        const AsLeftFigures figures {applied, 50 + applied / 20, noise, correction};
        QTEST(asLeftSpanText(countedAsLeft(readings, figures)), "counted");
    }

    void seriesFiguresOfFourReadings()
    {
        // ppm 10 14 12 20 at 0 2 4 6 s: deviations -4 0 -2 6 (56 squared),
        // successive differences 4 -2 8 (84 squared), Sxx 20, Sxy 28.
        const ReadingSeries s = fromList({10, 14, 12, 20}, {20000, 999, 1000, 0});
        QVERIFY(qAbs(*s.standardDeviation() - 4.3205) < 1e-4); // sqrt(56 / 3)
        QVERIFY(qAbs(*s.noise() - 3.7417) < 1e-4); // sqrt(84 / 6)
        QVERIFY(qAbs(s.slopePerMinute()->value - 84) < 1e-9); // 28 / 20 per s
        QVERIFY(qAbs(s.slopePerMinute()->standardError - 50.200) < 1e-3); // 3.7417/sqrt(20)*60
        QVERIFY(qAbs(s.halfStep()->value - 4) < 1e-9);
        QVERIFY(qAbs(s.halfStep()->standardError - 3.7417) < 1e-4); // sqrt(1/2 + 1/2)
        QCOMPARE(s.weakSignalCount(), 1); // only 0 < Rx < 1000
        // Ten readings: 2 * 81 / 26 = 6.23 degrees of freedom, between the
        // rows of 6 and 7; past the table t goes to the normal 3.090.
        QVERIFY(qAbs(criticalT(162.0 / 26) - 5.0983) < 1e-4);
        QVERIFY(qAbs(criticalT(240) - 3.125) < 1e-9);
        // 100 readings: 2 * 99^2 / 296 = 66.2, between the rows of 60 and 120.
        const Settledness hundred = testSettledness(run(100, lagged(0, 0), 9), 50);
        QVERIFY(qAbs(hundred.criticalValue - 3.2185) < 1e-4);
    }

    void runsAreJudged_data()
    {
        QTest::addColumn<GasProfile>("gas");
        QTest::addColumn<double>("applied");
        QTest::addColumn<double>("noise");
        QTest::addColumn<bool>("passed");
        // Noise at 0.05 % and 0.2 % signal noise: 6 and 13 ppm on zero gas,
        // 10 and 39 ppm on 2000 ppm. The first number of a row's name is the
        // number of readings.
        const auto row = [](int n, const char *name, const GasProfile &gas, double applied,
                            double noise, bool passed) {
            QTest::addRow("%d: %s", n, name) << gas << applied << noise << passed;
        };
        for (int n : {2, 10, 100}) {
            row(n, "settled span", lagged(2000, 2000), 2000, 0, true);
            row(n, "settled span, noise 10", lagged(2000, 2000), 2000, 10, true);
            row(n, "settled span, noise 39", lagged(2000, 2000), 2000, 39, true);
            row(n, "settled zero, noise 13", lagged(0, 0), 0, 13, true);
            if (n == 2)
                continue;
            // Drifted transmitters, and the edges of the correction limit:
            // 250 ppm at zero, 15 % at a span gas, the tolerance (50 ppm +
            // 5 %) where that is more.
            row(n, "zero drifted 150, noise 13", lagged(150, 150), 0, 13, true);
            row(n, "zero 250", lagged(250, 250), 0, 0, true);
            row(n, "zero 251", lagged(251, 251), 0, 0, false);
            row(n, "span drifted -8.5 %, noise 39", lagged(1830, 1830), 2000, 39, true);
            row(n, "span 300 high", lagged(2300, 2300), 2000, 0, true);
            row(n, "span 301 low", lagged(1699, 1699), 2000, 0, false);
            row(n, "span gas 400, 70 high", lagged(470, 470), 400, 0, true);
            row(n, "span gas 400, 71 high", lagged(471, 471), 400, 0, false);
            // Started 2 s after the switch; at 10 s and 100 readings the
            // mean is inside the tolerance, the trend gives it away.
            row(n, "zero on the switch, tau 10", lagged(450, 0, 10), 0, 13, false);
            row(n, "zero on the switch, tau 60", lagged(450, 0, 60), 0, 13, false);
            row(n, "span on the switch, tau 10", lagged(450, 2000, 10), 2000, 39, false);
            row(n, "span on the switch, tau 60", lagged(450, 2000, 60), 2000, 39, false);
            row(n, "zero on room air", lagged(450, 450), 0, 13, false);
            row(n, "zero with span gas", lagged(2000, 2000), 0, 39, false);
            row(n, "span with zero gas", lagged(0, 0), 2000, 13, false);
            row(n, "cylinder 1600", lagged(1600, 1600), 2000, 39, false);
            // At a minute's time constant and ten readings only 9 s of the
            // empty cylinder reach the cell: see judgement_bench.
            row(n, "runs out, tau 20", lagged(2000, 450, 20, poll * (n / 2) + 1), 2000, 39, false);
        }
        // 100 readings over 198 s: a change is questioned past k standard
        // errors and past the floor of 60 ppm on 2000 ppm. A mid-run step
        // moves the least-squares line by 1.5 times the step.
        const auto line = [](double perMinute) {
            return GasProfile([=](double t) { return 2000 + perMinute * (t - 2) / 60; });
        };
        row(100, "rising 40 ppm/min: 132 ppm over the run", line(40), 2000, 39, false);
        row(100, "10 ppm/min: significant, 33 ppm", line(10), 2000, 5, true);
        row(100, "step 30 ppm: trend 45 ppm", lagged(2000, 1970, 1e-9, 101), 2000, 5, true);
        row(100, "step 50 ppm: trend 74 ppm", lagged(2000, 1950, 1e-9, 101), 2000, 5, false);
    }
    void runsAreJudged()
    {
        QFETCH(GasProfile, gas);
        QFETCH(double, applied);
        QFETCH(double, noise);
        const int samples = QString(QTest::currentDataTag()).section(':', 0, 0).toInt();
        for (std::uint64_t seed = 1; seed <= 10; ++seed) {
            const RunJudgement j = judgeRun(run(samples, gas, noise, seed), applied);
            QTEST(j.passed(), "passed");
        }
    }

    void reasonsInPlainWords()
    {
        // Down by 10 a reading: -300 ppm/min, 12.8 standard errors; halves
        // 50 apart, past the floor of 20 at zero; the mean 445.
        const RunJudgement j = judgeRun(
            fromList({490, 480, 470, 460, 450, 440, 430, 420, 410, 400}, {20000, 20000, 999}), 0);
        const RunJudgement span
            = judgeRun(fromList({1690, 1690, 1690}, {500, 20000, 1}), 2000, {}, {100, 10});
        // The technician reads them in the question before a store, one a line.
        QFile golden(QStringLiteral(GOLDEN_DIR "/reasons.txt"));
        QVERIFY(golden.open(QIODevice::ReadOnly));
        QCOMPARE((j.reasons() + QStringList {j.reasonCode()} + span.reasons()).join(u'\n') + u'\n',
                 QString::fromUtf8(golden.readAll()));
        // A check's verdict keeps to the tolerance of 150 ppm.
        QVERIFY(!span.withinTolerance && judgeRun(fromList({1850}, {}), 2000).withinTolerance);
        // The technician's limit in the preferences' words, and back.
        QCOMPARE(correctionLimitText({250, 15}), "250 ppm at zero, 15 % at span");
        QCOMPARE(parseCorrectionLimit(" 300 ppm at Zero; 12.5 % ")->percent, 12.5);
        QVERIFY(!parseCorrectionLimit("250 + 15"));
        QTemporaryDir dir;
        Preferences(dir.filePath("p.conf")).setCorrectionLimit({300, 12});
        QCOMPARE(Preferences(dir.filePath("p.conf")).correctionLimit().percent, 12.0);
    }

    void recentReadingsKeepTheLastThirtySeconds()
    {
        RecentReadings recent;
        recent.add(0, 20000, 100);
        recent.add(10, 20000, 110);
        QCOMPARE(recent.verdictText(), QString()); // too few to tell
        recent.add(20, 20000, 130);
        // Deviations -13.33 -3.33 16.67; Sxx 200, Sxy 300.
        QVERIFY(qAbs(*recent.standardDeviation() - 15.2753) < 1e-4);
        QVERIFY(qAbs(*recent.driftPerMinute() - 90) < 1e-9);
        recent.add(30, 20000, 140); // the reading of 0 s is now 30 s old
        QVERIFY(qAbs(recent.mean() - 126.6667) < 1e-4);
    }

    void recentReadingsFloorFollowsTheLevel()
    {
        // 1.5 ppm/s over 28 s: 42 ppm along the line, under the floor of 60
        // at 2000 ppm (not of 20 at zero); the halves (0..12 s, 14..28 s)
        // 22.5 apart.
        RecentReadings recent;
        for (double t = 0; t <= 28; t += poll)
            recent.add(t, 20000, 2000 + 1.5 * t);
        QCOMPARE(recent.verdictText(), "settled");
        QVERIFY(qAbs(recent.settledness().step->value - 22.5) < 1e-9);
    }

    void recentReadingsSettleWithTheGas()
    {
        // Span gas switched on at 0 s, time constant 10 s, 0.05 % noise. The
        // noise-free tail in the window changes along its line by 147 ppm at
        // 50 s and by 20 at 70 s, against a floor of 59 and 60 ppm.
        std::mt19937_64 engine(5);
        RecentReadings recent;
        QStringList verdicts;
        for (double t = 2; t <= 120; t += poll) {
            recent.add(t, 20000, std::round(lagged(450, 2000, 10)(t) + 10 * normal(engine)));
            if (t == 20 || t == 50 || t == 70 || t == 120)
                verdicts << recent.verdictText();
        }
        QCOMPARE(verdicts, QStringList({"still changing", "still changing", "settled", "settled"}));
    }
};

QTEST_GUILESS_MAIN(RunJudgementTest)
#include "tst_run_judgement.moc"
