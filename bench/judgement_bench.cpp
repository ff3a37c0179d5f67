// The judgement of a calibration run on the simulator's sensor and
// transmitter: what it sees of each of the technicians' usual mistakes, how
// often it catches them, and how often it questions a good run.
//
//   judgement_bench            all three tables
//   judgement_bench mistakes [S]  the figures of each mistake (0.2 % noise, time constant S,
//                                 default 20 s)
//   judgement_bench sweep      mistakes caught of 200 runs, time constants 10, 20 and 60 s
//   judgement_bench good       good runs questioned of 1000, by noise, gas and length

#include "calibration/run_judgement.h"

#include "concentration.h"
#include "parameters.h"
#include "transmitter.h"

#include <QString>

#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr double pollSeconds = 2.0;
constexpr double roomAirPpm = 450.0;

// The gas at the cell's inlet over the run, and how the run was set up.
struct Mistake {
    const char *name;
    double appliedPpm; // what the technician's entry says the gas is
    double gasBeforePpm; // settled in the cell before the run
    double gasDuringPpm; // switched on at the start, or at the middle
    bool switchAtMiddle = false;
    bool weakLamp = false;
};

const std::vector<Mistake> &mistakes()
{
    // A run "started as the gas was switched on" takes its first reading one
    // poll (2 s) after the switch.
    static const std::vector<Mistake> list {
        {"zero started as zero gas switched on", 0, roomAirPpm, 0},
        {"zero on room air (valve closed)", 0, roomAirPpm, roomAirPpm},
        {"zero with the span gas connected", 0, 2000, 2000},
        {"span with the zero gas connected", 2000, 0, 0},
        {"span entry 2000, cylinder 1600", 2000, 1600, 1600},
        {"span gas runs out half-way", 2000, 2000, roomAirPpm, true},
        {"span started as span gas switched on", 2000, roomAirPpm, 2000},
        {"zero on a weak IR source (not a gas)", 0, 0, 0, false, true},
    };
    return list;
}

// A transmitter calibrated right before the run, polled every 2 s: the
// judgement gets the instant concentration as the data line shows it.
ReadingSeries simulateRun(const Mistake &mistake, int samples, double lagSeconds,
                          double noisePercent, std::uint64_t seed,
                          const TransmitterParameters &parameters = calibratedParameters(),
                          bool averaged = false)
{
    TransmitterSetup setup;
    setup.seed = seed;
    setup.saved = parameters;
    setup.gasPpm = mistake.gasBeforePpm;
    setup.lagSeconds = lagSeconds;
    setup.noisePercent = noisePercent;
    setup.weakLamp = mistake.weakLamp;
    Transmitter transmitter(setup);

    // The switch comes just after a whole second, so the conversion of the
    // same second still sees the old gas.
    const double switchSeconds
        = mistake.switchAtMiddle ? pollSeconds * (samples / 2) + 0.5 : 0.5;
    const double firstPoll = mistake.switchAtMiddle ? pollSeconds : 2.5;
    transmitter.reading(0);
    ReadingSeries series(samples);
    bool switched = false;
    for (int i = 0; i < samples; ++i) {
        const double seconds = firstPoll + pollSeconds * i;
        if (!switched && seconds >= switchSeconds) {
            // Bring the conversions up to the switch before the gas changes.
            transmitter.reading(switchSeconds * 1000);
            transmitter.sensor().switchGas(mistake.gasDuringPpm, switchSeconds * 1000);
            switched = true;
        }
        const auto reading = transmitter.reading(seconds * 1000);
        const double ppm = averaged ? reading.averagePpm : reading.instantPpm;
        series.add(seconds, double(reading.signals.reference), std::round(ppm));
    }
    return series;
}

QString verdict(const RunJudgement &judgement)
{
    return judgement.passed() ? QStringLiteral("passed")
                              : QStringLiteral("QUESTIONED: ") + judgement.reasonCode();
}

void printMistakes(double lagSeconds)
{
    std::printf("Each mistake, transmitter calibrated just before, time constant %g s, "
                "noise 0.2 %%, seed 1\n",
                lagSeconds);
    std::printf("%-38s %4s %6s %5s %6s %4s %15s %15s %5s %4s %4s  %s\n", "mistake", "N",
                "found", "appl", "diff", "tol", "slope/min ± SE", "step ± SE", "k", "flr",
                "weak", "verdict");
    for (const Mistake &mistake : mistakes()) {
        for (int samples : {100, 10}) {
            const ReadingSeries series = simulateRun(mistake, samples, lagSeconds, 0.2, 1);
            const RunJudgement j = judgeRun(series, mistake.appliedPpm);
            const Settledness &s = j.settledness;
            const auto pm = [](const std::optional<Estimate> &e) {
                return e ? QStringLiteral("%1 ± %2")
                               .arg(e->value, 0, 'f', 1)
                               .arg(e->standardError, 0, 'f', 1)
                         : QStringLiteral("-");
            };
            std::printf("%-38s %4d %6.0f %5.0f %6.0f %4.0f %15s %15s %5.2f %4.0f %4d  %s\n",
                        mistake.name, samples, j.asFoundPpm, j.appliedPpm, j.differencePpm,
                        j.tolerancePpm, qPrintable(pm(s.trend)), qPrintable(pm(s.step)),
                        s.criticalValue, s.floorPpm, j.weakSignalReadings,
                        qPrintable(verdict(j)));
        }
    }
    std::printf("\nThe reasons of the first run of each, as the technician reads them:\n");
    for (const Mistake &mistake : mistakes()) {
        const RunJudgement j
            = judgeRun(simulateRun(mistake, 100, lagSeconds, 0.2, 1), mistake.appliedPpm);
        std::printf("- %s:\n", mistake.name);
        for (const QString &reason : j.reasons())
            std::printf("    %s\n", qPrintable(reason));
    }
}

void printSweep()
{
    constexpr int runs = 200;
    std::printf("\nMistakes questioned of %d runs (seeds 1 to %d), noise 0.2 %%; "
                "T = trend, S = step, P = implausible, W = weak IR (runs with each)\n",
                runs, runs);
    std::printf("%-38s %4s %-26s %-26s %-26s\n", "mistake", "N", "time constant 10 s",
                "20 s", "60 s");
    for (const Mistake &mistake : mistakes()) {
        for (int samples : {100, 10}) {
            std::printf("%-38s %4d", mistake.name, samples);
            for (double lag : {10.0, 20.0, 60.0}) {
                int questioned = 0, trend = 0, step = 0, implausible = 0, weak = 0;
                for (int seed = 1; seed <= runs; ++seed) {
                    const RunJudgement j = judgeRun(
                        simulateRun(mistake, samples, lag, 0.2, std::uint64_t(seed)),
                        mistake.appliedPpm);
                    questioned += !j.passed();
                    trend += j.settledness.trendQuestioned;
                    step += j.settledness.stepQuestioned;
                    implausible += !j.plausible;
                    weak += !j.healthy;
                }
                const std::string cell = std::to_string(questioned) + " (T" + std::to_string(trend)
                    + " S" + std::to_string(step) + " P" + std::to_string(implausible) + " W"
                    + std::to_string(weak) + ")";
                std::printf(" %-26s", cell.c_str());
            }
            std::printf("\n");
        }
    }
}

// A transmitter whose zero or span point is off so that it reads `offPpm`
// away from the gas before the run (noise aside): found by bisection on the
// stored T0 (zero) or TS (span) signal.
TransmitterParameters parametersReadingOff(double gasPpm, double offPpm)
{
    const SensorCurve curve;
    const double co2 = Sensor::nominalReference * trueRatio(curve, gasPpm);
    TransmitterParameters parameters = calibratedParameters();
    long &stored = gasPpm == 0 ? parameters.t0 : parameters.ts;
    // Both T0 and TS read higher as they grow.
    long low = stored - 2000, high = stored + 2000;
    while (high - low > 1) {
        stored = (low + high) / 2;
        if (transmitterConcentration(parameters, co2, Sensor::nominalReference) < gasPpm + offPpm)
            low = stored;
        else
            high = stored;
    }
    stored = low;
    return parameters;
}

void printGoodRuns()
{
    constexpr int runs = 1000;
    const std::vector<int> lengths {2, 3, 5, 10, 30, 100};
    std::printf("\nGood, settled runs questioned of %d (seeds 1 to %d), on judgeRun with the "
                "default tolerance; in brackets the runs with each reason "
                "(T trend, S step, P implausible)\n",
                runs, runs);
    std::printf("%-44s %6s", "gas, transmitter", "noise");
    for (int n : lengths)
        std::printf("   N=%-9d", n);
    std::printf("\n");
    struct Case {
        const char *name;
        double gasPpm;
        double offPpm;
    };
    const Case cases[] = {
        {"zero 0 ppm, calibrated", 0, 0},
        {"zero 0 ppm, reading +25 ppm before the run", 0, 25},
        {"span 2000 ppm, calibrated", 2000, 0},
        {"span 2000 ppm, reading +100 ppm before", 2000, 100},
        {"span 2000 ppm, reading -100 ppm before", 2000, -100},
    };
    for (const Case &c : cases) {
        const TransmitterParameters parameters = parametersReadingOff(c.gasPpm, c.offPpm);
        for (double noise : {0.05, 0.2, 0.5}) {
            std::printf("%-44s %5.2f%%", c.name, noise);
            for (int n : lengths) {
                int questioned = 0, trend = 0, step = 0, implausible = 0;
                const Mistake settled {"", c.gasPpm, c.gasPpm, c.gasPpm};
                for (int seed = 1; seed <= runs; ++seed) {
                    const RunJudgement j = judgeRun(
                        simulateRun(settled, n, 20, noise, std::uint64_t(seed), parameters),
                        c.gasPpm);
                    questioned += !j.passed();
                    trend += j.settledness.trendQuestioned;
                    step += j.settledness.stepQuestioned;
                    implausible += !j.plausible;
                }
                char cell[64];
                std::snprintf(cell, sizeof cell, "%d (T%d S%d P%d)", questioned, trend, step,
                              implausible);
                std::printf("  %-12s", cell);
            }
            std::printf("\n");
        }
    }
    std::printf("\nThe same calibrated span runs judged on the averaged field instead: "
                "successive values share half their conversions, the noise between them looks "
                "smaller than it is\n");
    for (double noise : {0.05, 0.2}) {
        std::printf("%-44s %5.2f%%", "span 2000 ppm, calibrated, averaged field", noise);
        for (int n : lengths) {
            int questioned = 0;
            const Mistake settled {"", 2000, 2000, 2000};
            for (int seed = 1; seed <= runs; ++seed)
                questioned += !judgeRun(simulateRun(settled, n, 20, noise, std::uint64_t(seed),
                                                    calibratedParameters(), true),
                                        2000)
                                   .passed();
            std::printf("  %-12d", questioned);
        }
        std::printf("\n");
    }
    std::printf("\nThe reading's noise and the zero's lift from clipping "
                "(mean and sd of 20000 readings, calibrated):\n");
    for (double noise : {0.05, 0.2, 0.5}) {
        for (double gas : {0.0, 2000.0}) {
            const Mistake settled {"", gas, gas, gas};
            const ReadingSeries series = simulateRun(settled, 20000, 0, noise, 7);
            std::printf("  noise %.2f %%, gas %4.0f ppm: mean %7.1f ppm, sd %5.1f ppm, "
                        "reading-to-reading noise %5.1f ppm\n",
                        noise, gas, series.mean(), series.standardDeviation().value_or(0),
                        series.noise().value_or(0));
            const ReadingSeries averaged
                = simulateRun(settled, 20000, 0, noise, 7, calibratedParameters(), true);
            std::printf("  %30s averaged field: sd %5.1f ppm, reading-to-reading noise %5.1f "
                        "ppm\n",
                        "", averaged.standardDeviation().value_or(0),
                        averaged.noise().value_or(0));
        }
    }
}

} // namespace

int main(int argc, char *argv[])
{
    const std::string what = argc > 1 ? argv[1] : "all";
    if (what == "all" || what == "mistakes")
        printMistakes(argc > 2 ? std::atof(argv[2]) : 20.0);
    if (what == "all" || what == "sweep")
        printSweep();
    if (what == "all" || what == "good")
        printGoodRuns();
    return 0;
}
