#pragma once

#include "judgement/run_stability.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <optional>

// Whether a zero or span run averaged a settled, plausible gas on a healthy
// sensor, worked out from the readings alone so the window only feeds it.
//
// The judgement looks at the transmitter's instant concentration (the third
// field of the "X" record), not at its averaged one: the averaged value is the
// mean of the last four one-second conversions, so two readings polled two
// seconds apart share half of their conversions. Samples that overlap like
// that are not independent, and the noise measured between them would come
// out too small, so a settled gas would look like a drifting one.

// A figure with its standard error.
struct Estimate {
    double value = 0;
    double standardError = 0;
};

// The readings of one run, one at a time. Keeps sums, not samples, so a run of
// any length costs the same memory.
class ReadingSeries {
public:
    // The two half-means need to know where the middle of the run will be;
    // readings past the planned count join the second half.
    explicit ReadingSeries(int plannedCount);

    void add(double seconds, double rx, double ppm);

    int plannedCount() const { return m_plannedCount; }
    int count() const { return m_count; }
    double mean() const { return m_line.mean(); }
    // Divided by n - 1; none below two readings.
    std::optional<double> standardDeviation() const;
    double durationSeconds() const { return m_count > 0 ? m_lastSeconds - m_firstSeconds : 0; }

    // The reading-to-reading noise: half the mean square of successive
    // differences. A slow trend or a single step hardly enters it, whereas
    // the spread about the mean (or about a line) swells with both and would
    // hide the very change it is meant to measure. None below two readings.
    std::optional<double> noise() const;
    // How many degrees of freedom a sample standard deviation would need to
    // be as certain as noise() is (2(n-1)^2 / (3n-4) for independent
    // readings): the noise estimate of ten readings is worth about six.
    double noiseDegreesOfFreedom() const;

    // Least-squares slope over time, ppm per minute, its standard error from
    // noise(). None below two readings or while they share one time.
    std::optional<Estimate> slopePerMinute() const;
    // Second-half mean minus first-half mean, its standard error from
    // noise(). None until both halves hold a reading.
    std::optional<Estimate> halfStep() const;
    double firstHalfMean() const { return m_firstHalf.mean; }
    double secondHalfMean() const { return m_secondHalf.mean; }

    // Readings with the IR-signal warning (0 < Rx < 1000).
    int weakSignalCount() const { return m_weakSignals; }

private:
    struct Half {
        int count = 0;
        double mean = 0;
    };

    int m_plannedCount = 0;
    int m_count = 0;
    int m_weakSignals = 0;
    double m_firstSeconds = 0;
    double m_lastSeconds = 0;
    double m_lastPpm = 0;
    double m_successiveSquares = 0;
    SignalStability m_line; // mean, spread and slope of the readings
    Half m_firstHalf;
    Half m_secondHalf;
};

// The transmitter's accuracy: how far its reading may be from a certified
// gas for a check to pass. A fixed part for the zero, where readings clip at
// 0 and sit a few ppm high, and a part proportional to the gas.
struct Tolerance {
    double ppm = 50;
    double percent = 5;
};
double toleranceAt(const Tolerance &tolerance, double appliedPpm);

// How large a correction a calibration run may make before it is questioned:
// what a transmitter drifts by between two calibrations, not its accuracy. A
// transmitter that fails a check is calibrated for that very reason, so the
// limit has to lie well beyond the tolerance, yet short of what a wrong gas
// makes the transmitter read.
//
// At zero gas, `ppm`: transmitters come back up to about 150 ppm off at zero
// (and read a few ppm more from the clipping of the noise), while a zero on
// room air reads at least the outdoor 420 ppm, or about 270 ppm on a
// transmitter that has drifted 150 ppm low. 250 ppm lets every ordinary drift
// through with 100 ppm to spare and still catches room air in that worst
// case.
//
// At a span gas, `percent` of the gas: a span always follows a zero in the
// session, so the offset is already corrected and what is left is the
// sensitivity, which drifts up to about 10 %. A cylinder whose value was
// mistyped or mixed up is typically 20 % or more off (1600 for 2000 ppm);
// 15 % lies halfway, 100 ppm from either on a 2000 ppm gas, far more than the
// noise of a run's mean (4 to 12 ppm). On a small span gas the tolerance
// takes over: a correction the transmitter's own accuracy allows is never
// questioned.
struct CorrectionLimit {
    double ppm = 250;
    double percent = 15;
};
double correctionLimitAt(const CorrectionLimit &limit, const Tolerance &tolerance,
                         double appliedPpm);

// Whether the readings moved during a series by more than noise, and by enough
// to matter. One test for a calibration run and for the idle display.
struct Settledness {
    std::optional<Estimate> trend; // ppm per minute
    std::optional<Estimate> step; // second-half mean minus first-half mean
    double firstHalfMean = 0;
    double secondHalfMean = 0;
    double criticalValue = 0; // the k that |figure| / standard error must exceed
    double floorPpm = 0; // the least change over the series worth questioning
    bool trendQuestioned = false;
    bool stepQuestioned = false;

    bool settled() const { return !trendQuestioned && !stepQuestioned; }
};

// A change is questioned when it is both more than k standard errors (k for a
// two-sided 0.2 % chance of noise alone passing it, from Student's t at
// noiseDegreesOfFreedom()) and more than floorFraction of the tolerance over
// the series (the trend as slope times duration).
inline constexpr double settlednessFloorFraction = 0.4;
Settledness testSettledness(const ReadingSeries &series, double tolerancePpm);

// The value of Student's t that noise alone exceeds (either way) in 0.2 % of
// series, at any degrees of freedom from 1 up.
double criticalT(double degreesOfFreedom);

struct RunJudgement {
    Settledness settledness;
    bool settled = false;
    double asFoundPpm = 0; // the run's mean reading
    double appliedPpm = 0;
    double differencePpm = 0; // as found minus applied
    double tolerancePpm = 0;
    bool withinTolerance = false; // |difference| <= tolerance: a check's verdict
    double correctionLimitPpm = 0;
    bool plausible = false; // |difference| <= correction limit: a calibration's question
    int weakSignalReadings = 0;
    bool healthy = false; // no reading carried the IR-signal warning
    int readings = 0;
    double noisePpm = 0; // a reading's noise (ReadingSeries::noise); 0 below two readings

    bool passed() const { return settled && plausible && healthy; }
    // The standard error of the run's mean, from the reading-to-reading noise.
    double standardErrorPpm() const;
    // One sentence per doubt, with its figures, for the technician.
    QStringList reasons() const;
    // The same doubts in a few words each, "; " between them, for one CSV field.
    QString reasonCode() const;
};

// The applied gas is the zero gas at 0 ppm, otherwise the span gas.
RunJudgement judgeRun(const ReadingSeries &series, double appliedPpm,
                      const Tolerance &tolerance = {}, const CorrectionLimit &limit = {});

// The idle display's view of the last 30 seconds of readings: whether the gas
// at the sensor has settled, by the same test as a run.
class RecentReadings {
public:
    static constexpr double windowSeconds = 30.0;

    enum class Verdict { TooFewReadings, Settled, StillChanging };

    explicit RecentReadings(const Tolerance &tolerance = {}) : m_tolerance(tolerance) { }

    // A reading 30 s or more older than the newest drops out.
    void add(double seconds, double rx, double ppm);

    int count() const { return int(m_readings.size()); }
    double mean() const;
    std::optional<double> standardDeviation() const;
    std::optional<double> driftPerMinute() const;
    // The run's test on the window, its floor from the tolerance the mean
    // reading would get as a calibration gas.
    Settledness settledness() const;
    // Below three readings the two tests cannot tell a change from noise.
    Verdict verdict() const;
    QString verdictText() const; // "settled", "still changing" or ""

private:
    struct Sample {
        double seconds;
        double rx;
        double ppm;
    };
    ReadingSeries series() const;

    Tolerance m_tolerance;
    std::deque<Sample> m_readings;
};
