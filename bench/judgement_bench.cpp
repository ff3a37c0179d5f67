// The judgement of a calibration run on the simulator's sensor and
// transmitter: what it sees of each of the technicians' usual mistakes, how
// often it catches them, how often it questions a good run or one on a
// transmitter that has drifted as transmitters do, and which readings after
// a store count as "as left".
//
//   judgement_bench            all four tables
//   judgement_bench mistakes [S]  the figures of each mistake (0.2 % noise, time constant S,
//                                 default 20 s)
//   judgement_bench sweep      mistakes caught of 200 runs, time constants 10, 20 and 60 s
//   judgement_bench good       good and drifted runs questioned of 1000, by noise, gas and length
//   judgement_bench asleft     the as-left readings of 200 zero stores, the span gas following

#include "judgement/as_left.h"
#include "judgement/run_judgement.h"

#include "concentration.h"
#include "parameters.h"
#include "transmitter.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr double pollSeconds = 2.0;
constexpr double roomAirPpm = 450.0;
constexpr double outdoorAirPpm = 420.0;

// A transmitter whose zero point (T0) or span point (TS) is off so that it
// reads `offPpm` away from `gasPpm` (noise aside): found by bisection on the
// stored signal, from a well-calibrated one.
TransmitterParameters parametersReadingOff(double gasPpm, double offPpm, bool zeroPoint)
{
    if (offPpm == 0)
        return calibratedParameters();
    const SensorCurve curve;
    const double co2 = Sensor::nominalReference * trueRatio(curve, gasPpm);
    TransmitterParameters parameters = calibratedParameters();
    long &stored = zeroPoint ? parameters.t0 : parameters.ts;
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

// The gas at the cell's inlet over the run, and how the run was set up.
struct Mistake {
    const char *name;
    double appliedPpm; // what the technician's entry says the gas is
    double gasBeforePpm; // settled in the cell before the run
    double gasDuringPpm; // switched on at the start, or at the middle
    bool switchAtMiddle = false;
    bool weakLamp = false;
    double zeroOffPpm = 0; // the transmitter reads this far off at outdoor air
};

const std::vector<Mistake> &mistakes()
{
    // A run "started as the gas was switched on" takes its first reading one
    // poll (2 s) after the switch. The last is the room-air zero the
    // correction limit is set against: the cleanest air there is, on a
    // transmitter that has drifted as far low as transmitters do.
    static const std::vector<Mistake> list {
        {"zero started as zero gas switched on", 0, roomAirPpm, 0},
        {"zero on room air (valve closed)", 0, roomAirPpm, roomAirPpm},
        {"zero with the span gas connected", 0, 2000, 2000},
        {"span with the zero gas connected", 2000, 0, 0},
        {"span entry 2000, cylinder 1600", 2000, 1600, 1600},
        {"span gas runs out half-way", 2000, 2000, roomAirPpm, true},
        {"span started as span gas switched on", 2000, roomAirPpm, 2000},
        {"zero on a weak IR source (not a gas)", 0, 0, 0, false, true},
        {"zero on 420 ppm air, transmitter 150 low", 0, outdoorAirPpm, outdoorAirPpm, false, false,
         -150},
    };
    return list;
}

TransmitterParameters parametersFor(const Mistake &mistake)
{
    return parametersReadingOff(outdoorAirPpm, mistake.zeroOffPpm, true);
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
    const double switchSeconds = mistake.switchAtMiddle ? pollSeconds * (samples / 2) + 0.5 : 0.5;
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
    std::printf("%-40s %4s %6s %5s %6s %4s %4s %15s %15s %5s %4s %4s  %s\n", "mistake", "N",
                "found", "appl", "diff", "tol", "lim", "slope/min ± SE", "step ± SE", "k", "flr",
                "weak", "verdict");
    for (const Mistake &mistake : mistakes()) {
        for (int samples : {100, 10}) {
            const ReadingSeries series
                = simulateRun(mistake, samples, lagSeconds, 0.2, 1, parametersFor(mistake));
            const RunJudgement j = judgeRun(series, mistake.appliedPpm);
            const Settledness &s = j.settledness;
            const auto pm = [](const std::optional<Estimate> &e) {
                return e ? QStringLiteral("%1 ± %2")
                               .arg(e->value, 0, 'f', 1)
                               .arg(e->standardError, 0, 'f', 1)
                         : QStringLiteral("-");
            };
            std::printf("%-40s %4d %6.0f %5.0f %6.0f %4.0f %4.0f %15s %15s %5.2f %4.0f %4d  %s\n",
                        mistake.name, samples, j.asFoundPpm, j.appliedPpm, j.differencePpm,
                        j.tolerancePpm, j.correctionLimitPpm, qPrintable(pm(s.trend)),
                        qPrintable(pm(s.step)), s.criticalValue, s.floorPpm, j.weakSignalReadings,
                        qPrintable(verdict(j)));
        }
    }
    std::printf("\nThe reasons of the first run of each, as the technician reads them:\n");
    for (const Mistake &mistake : mistakes()) {
        const RunJudgement j
            = judgeRun(simulateRun(mistake, 100, lagSeconds, 0.2, 1, parametersFor(mistake)),
                       mistake.appliedPpm);
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
    std::printf("%-40s %4s %-26s %-26s %-26s\n", "mistake", "N", "time constant 10 s", "20 s",
                "60 s");
    for (const Mistake &mistake : mistakes()) {
        for (int samples : {100, 10}) {
            std::printf("%-40s %4d", mistake.name, samples);
            for (double lag : {10.0, 20.0, 60.0}) {
                int questioned = 0, trend = 0, step = 0, implausible = 0, weak = 0;
                for (int seed = 1; seed <= runs; ++seed) {
                    const RunJudgement j
                        = judgeRun(simulateRun(mistake, samples, lag, 0.2, std::uint64_t(seed),
                                               parametersFor(mistake)),
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

void printGoodRuns()
{
    constexpr int runs = 1000;
    const std::vector<int> lengths {2, 3, 5, 10, 30, 100};
    std::printf("\nGood and drifted, settled runs questioned of %d (seeds 1 to %d), on judgeRun "
                "with the default tolerance and correction limit; in brackets the runs with each "
                "reason (T trend, S step, P implausible). A span follows a zero: only the span "
                "point has drifted\n",
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
        {"zero 0 ppm, drifted: reading +70 ppm", 0, 70},
        {"zero 0 ppm, drifted: reading +98 ppm", 0, 98},
        {"zero 0 ppm, drifted: reading +150 ppm", 0, 150},
        {"span 2000 ppm, calibrated", 2000, 0},
        {"span 2000 ppm, drifted: -8.5 % (1830 ppm)", 2000, -170},
        {"span 2000 ppm, drifted: +10 % (2200 ppm)", 2000, 200},
        {"span 2000 ppm, drifted: -10 % (1800 ppm)", 2000, -200},
    };
    for (const Case &c : cases) {
        const TransmitterParameters parameters
            = parametersReadingOff(c.gasPpm, c.offPpm, c.gasPpm == 0);
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
                        "", averaged.standardDeviation().value_or(0), averaged.noise().value_or(0));
        }
    }
}

// A zero stored on a drifted transmitter, and the readings after it: a
// 10-reading zero run, T0 and R0 written from its signal means as the store
// does (the last command 0.4 s after the run's last poll), the polls going on
// 2 s after the store and about every 2.05 s after that; the span gas switched
// on just after the `switchAfter`th of them (0: never). The as-left readings
// are the averaged field, as the window records them.
struct AsLeftRun {
    QList<double> readings;
    RunJudgement judgement;
};

AsLeftRun storeAndLeave(double driftPpm, double lagSeconds, int switchAfter, std::uint64_t seed)
{
    TransmitterSetup setup;
    setup.seed = seed;
    setup.saved = parametersReadingOff(0, driftPpm, true);
    setup.gasPpm = 0;
    setup.lagSeconds = lagSeconds;
    setup.noisePercent = 0.2;
    Transmitter transmitter(setup);
    transmitter.reading(0);
    constexpr int samples = 10;
    ReadingSeries series(samples);
    double co2 = 0, reference = 0, seconds = 0;
    for (int i = 0; i < samples; ++i) {
        seconds = 2.5 + pollSeconds * i;
        const auto reading = transmitter.reading(seconds * 1000);
        co2 += double(reading.signals.co2) / samples;
        reference += double(reading.signals.reference) / samples;
        series.add(seconds, double(reading.signals.reference), std::round(reading.instantPpm));
    }
    AsLeftRun run {{}, judgeRun(series, 0)};
    const auto send = [&](const std::string &command, double at) {
        transmitter.reading(at * 1000);
        transmitter.receive(command + "\r", at * 1000);
    };
    send("T0" + std::to_string(std::lround(co2)), seconds + 0.1);
    send("R0" + std::to_string(std::lround(reference)), seconds + 0.2);
    const double stored = seconds + 0.4;
    for (int i = 0; i < 5; ++i) {
        const double at = stored + 2 + 2.05 * i;
        run.readings << std::round(transmitter.reading(at * 1000).averagePpm);
        if (i + 1 == switchAfter) {
            transmitter.reading((at + 0.5) * 1000);
            transmitter.sensor().switchGas(2000, (at + 0.5) * 1000);
        }
    }
    return run;
}

void printAsLeft()
{
    constexpr int runs = 200;
    std::printf("\nAs left after a zero store, %d stores each (seeds 1 to %d), noise 0.2 %%: the "
                "span gas arrives after the Nth reading (-: not within five); PASS of the "
                "counted readings' mean against the tolerance of 50 ppm, FAIL, the mean as left, "
                "the readings counted (most often), and PASS by the mean of all five\n",
                runs, runs);
    std::printf("%-16s %5s %3s %6s %6s %8s %-10s %10s\n", "drift", "lag", "N", "PASS", "FAIL",
                "as left", "counted", "PASS all 5");
    for (double drift : {0.0, 70.0, 150.0}) {
        for (double lag : {8.0, 30.0}) {
            for (int after : {1, 3, 0}) {
                int pass = 0, fail = 0, passAll = 0;
                double leftSum = 0;
                std::map<std::string, int> spans;
                for (int seed = 1; seed <= runs; ++seed) {
                    const AsLeftRun run = storeAndLeave(drift, lag, after, std::uint64_t(seed));
                    const RunJudgement &j = run.judgement;
                    const AsLeftSpan span = countedAsLeft(
                        run.readings, {0, j.tolerancePpm, j.noisePpm, j.differencePpm});
                    double left = 0, all = 0;
                    for (qsizetype i = 0; i < span.count; ++i)
                        left += run.readings[span.first + i] / double(span.count);
                    for (double reading : run.readings)
                        all += reading / double(run.readings.size());
                    (std::abs(left) <= j.tolerancePpm ? pass : fail) += 1;
                    passAll += std::abs(all) <= j.tolerancePpm;
                    leftSum += left;
                    ++spans[std::to_string(span.first + 1) + "-"
                            + std::to_string(span.first + span.count)];
                }
                const auto most = std::max_element(
                    spans.begin(), spans.end(),
                    [](const auto &a, const auto &b) { return a.second < b.second; });
                const std::string counted = most->first + " (" + std::to_string(most->second) + ")";
                std::printf("%-16s %4.0fs %3s %6d %6d %8.1f %-10s %10d\n",
                            (std::to_string(int(drift)) + " ppm at zero").c_str(), lag,
                            after ? std::to_string(after).c_str() : "-", pass, fail, leftSum / runs,
                            counted.c_str(), passAll);
            }
        }
    }
    std::printf("\nOne store of each, drift 150 ppm, lag 8 s, seed 1: the five readings\n");
    for (int after : {1, 3, 0}) {
        const AsLeftRun run = storeAndLeave(150, 8, after, 1);
        std::printf("  gas after %s:", after ? std::to_string(after).c_str() : "-");
        for (double reading : run.readings)
            std::printf(" %6.0f", reading);
        std::printf("   (run noise %.1f ppm, correction %.1f ppm)\n", run.judgement.noisePpm,
                    run.judgement.differencePpm);
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
    if (what == "all" || what == "asleft")
        printAsLeft();
    return 0;
}
