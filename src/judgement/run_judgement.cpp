#include "run_judgement.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

ReadingSeries::ReadingSeries(int plannedCount) : m_plannedCount(std::max(plannedCount, 0)) { }

void ReadingSeries::add(double seconds, double rx, double ppm)
{
    if (rx > 0 && rx < 1000)
        ++m_weakSignals;
    if (m_count == 0)
        m_firstSeconds = seconds;
    else
        m_successiveSquares += (ppm - m_lastPpm) * (ppm - m_lastPpm);
    m_lastSeconds = seconds;
    m_lastPpm = ppm;

    ++m_count;
    m_line.add(seconds, ppm);

    Half &half = m_count <= m_plannedCount / 2 ? m_firstHalf : m_secondHalf;
    ++half.count;
    half.mean += (ppm - half.mean) / half.count;
}

std::optional<double> ReadingSeries::standardDeviation() const
{
    return m_line.standardDeviation();
}

std::optional<double> ReadingSeries::noise() const
{
    if (m_count < 2)
        return std::nullopt;
    return std::sqrt(m_successiveSquares / (2.0 * (m_count - 1)));
}

double ReadingSeries::noiseDegreesOfFreedom() const
{
    if (m_count < 2)
        return 0;
    const double n = m_count;
    return 2 * (n - 1) * (n - 1) / (3 * n - 4);
}

std::optional<Estimate> ReadingSeries::slopePerMinute() const
{
    const auto sigma = noise();
    const auto slope = m_line.driftPerMinute();
    if (!sigma || !slope)
        return std::nullopt;
    return Estimate {*slope, *sigma / std::sqrt(m_line.timeSpread()) * 60};
}

std::optional<Estimate> ReadingSeries::halfStep() const
{
    const auto sigma = noise();
    if (!sigma || m_firstHalf.count == 0 || m_secondHalf.count == 0)
        return std::nullopt;
    return Estimate {m_secondHalf.mean - m_firstHalf.mean,
                     *sigma * std::sqrt(1.0 / m_firstHalf.count + 1.0 / m_secondHalf.count)};
}

double toleranceAt(const Tolerance &tolerance, double appliedPpm)
{
    return tolerance.ppm + tolerance.percent / 100 * std::abs(appliedPpm);
}

double correctionLimitAt(const CorrectionLimit &limit, const Tolerance &tolerance,
                         double appliedPpm)
{
    const double drift = appliedPpm == 0 ? limit.ppm : limit.percent / 100 * std::abs(appliedPpm);
    return std::max(drift, toleranceAt(tolerance, appliedPpm));
}

double criticalT(double degreesOfFreedom)
{
    // Student's t exceeded with 0.1 % chance on each side. Between the rows
    // the value is interpolated linearly in 1/df; t is convex in 1/df, so the
    // interpolation errs on the side of a larger k, never of a false doubt.
    struct Row {
        double df;
        double t;
    };
    static constexpr Row rows[] = {
        {1, 318.309}, {2, 22.327}, {3, 10.215}, {4, 7.173},   {5, 5.893},   {6, 5.208},
        {7, 4.785},   {8, 4.501},  {9, 4.297},  {10, 4.144},  {12, 3.930},  {15, 3.733},
        {20, 3.552},  {25, 3.450}, {30, 3.385}, {40, 3.307},  {60, 3.232},  {120, 3.160},
    };
    constexpr double normalLimit = 3.090;
    if (!(degreesOfFreedom >= 1))
        return std::numeric_limits<double>::infinity();
    for (std::size_t i = 1; i < std::size(rows); ++i) {
        if (degreesOfFreedom <= rows[i].df) {
            const Row &a = rows[i - 1];
            const Row &b = rows[i];
            const double share = (1 / a.df - 1 / degreesOfFreedom) / (1 / a.df - 1 / b.df);
            return a.t + share * (b.t - a.t);
        }
    }
    const Row &last = rows[std::size(rows) - 1];
    return normalLimit + (last.t - normalLimit) * last.df / degreesOfFreedom;
}

Settledness testSettledness(const ReadingSeries &series, double tolerancePpm)
{
    // Why these numbers, measured on the sensor model (judgement_bench):
    // - A reading's noise (sd) is 10 ppm on a span gas of 2000 ppm at 0.05 %
    //   signal noise and 39 ppm at 0.2 %; on zero gas 6 and 13 ppm, skewed,
    //   as the readings clip at 0. Readings two seconds apart carry
    //   independent noise, so their successive differences measure it.
    // - k is Student's t at a two-sided 0.2 %, so noise alone passes either
    //   test in about one series of 500, whatever its length: 5.1 for ten
    //   readings, 3.2 for a hundred. Two readings can never be questioned:
    //   their one difference is both the change and the only measure of the
    //   noise, so the figure is always exactly one standard error (and k is
    //   318 anyway).
    // - With a sensor time constant of 10 s, a zero run started 2 s after the
    //   zero gas was switched on reads only about 30 ppm on average over 100
    //   readings, inside the tolerance, but its slope is 17 standard errors
    //   out and its halves differ by 39 ppm; at 60 s and ten readings the
    //   run is mostly on the slope and far from the gas.
    // - A hundred readings measure the slope so well that a harmless drift of
    //   a few ppm over the run would pass k. The floor of 0.4 of the
    //   tolerance (20 ppm at zero, 60 ppm on 2000 ppm) keeps a change that
    //   leaves the run's mean within a fifth of the tolerance of where the
    //   gas ended up, and is still half of the smallest change above.
    Settledness result;
    result.firstHalfMean = series.firstHalfMean();
    result.secondHalfMean = series.secondHalfMean();
    result.criticalValue = criticalT(series.noiseDegreesOfFreedom());
    result.floorPpm = settlednessFloorFraction * tolerancePpm;
    result.trend = series.slopePerMinute();
    result.step = series.halfStep();

    const auto questioned = [&](const Estimate &estimate, double changePpm) {
        return std::abs(estimate.value) > result.criticalValue * estimate.standardError
            && std::abs(changePpm) > result.floorPpm;
    };
    if (result.trend)
        result.trendQuestioned = questioned(
            *result.trend, result.trend->value / 60 * series.durationSeconds());
    if (result.step)
        result.stepQuestioned = questioned(*result.step, result.step->value);
    return result;
}

RunJudgement judgeRun(const ReadingSeries &series, double appliedPpm, const Tolerance &tolerance,
                      const CorrectionLimit &limit)
{
    RunJudgement judgement;
    judgement.appliedPpm = appliedPpm;
    judgement.tolerancePpm = toleranceAt(tolerance, appliedPpm);
    // The floor stays with the accuracy: a change over the run matters by how
    // far it moves the mean against what a check would allow.
    judgement.settledness = testSettledness(series, judgement.tolerancePpm);
    judgement.settled = judgement.settledness.settled();
    judgement.asFoundPpm = series.mean();
    judgement.differencePpm = judgement.asFoundPpm - appliedPpm;
    judgement.withinTolerance = std::abs(judgement.differencePpm) <= judgement.tolerancePpm;
    judgement.correctionLimitPpm = correctionLimitAt(limit, tolerance, appliedPpm);
    judgement.plausible = std::abs(judgement.differencePpm) <= judgement.correctionLimitPpm;
    judgement.weakSignalReadings = series.weakSignalCount();
    judgement.healthy = judgement.weakSignalReadings == 0;
    judgement.readings = series.count();
    judgement.noisePpm = series.noise().value_or(0);
    return judgement;
}

double RunJudgement::standardErrorPpm() const
{
    return readings > 0 ? noisePpm / std::sqrt(double(readings)) : 0;
}

namespace {

// Whole numbers, with the typographic minus the technician reads in print.
QString figure(double value)
{
    const long whole = std::lround(value);
    return whole < 0 ? QStringLiteral("\u2212") + QString::number(-whole) : QString::number(whole);
}

QString gasText(double appliedPpm)
{
    return appliedPpm == 0 ? QStringLiteral("a zero gas")
                           : QStringLiteral("a span gas of %1 ppm").arg(figure(appliedPpm));
}

} // namespace

QStringList RunJudgement::reasons() const
{
    QStringList list;
    const Settledness &s = settledness;
    if (s.trendQuestioned)
        list << QStringLiteral("The CO2 reading was still %1 during the run: %2 ppm/min")
                    .arg(s.trend->value < 0 ? QStringLiteral("falling") : QStringLiteral("rising"),
                         figure(s.trend->value));
    if (s.stepQuestioned)
        list << QStringLiteral("The CO2 reading changed part-way through the run: "
                               "from %1 ppm to %2 ppm")
                    .arg(figure(s.firstHalfMean), figure(s.secondHalfMean));
    // Both explanations, and where each shows: a drift is gradual, so the
    // transmitter's earlier results lead up to it; a wrong gas shows on its
    // cylinder and in the tubing.
    if (!plausible)
        list << QStringLiteral("The transmitter read %1 ppm on %2: a correction of %3 ppm is more "
                               "than the %4 ppm a drifted transmitter plausibly needs. Either it "
                               "has drifted that far (compare its earlier calibrations) or the "
                               "gas at the sensor is not %2 (%5)")
                    .arg(figure(asFoundPpm), gasText(appliedPpm), figure(std::abs(differencePpm)),
                         figure(correctionLimitPpm),
                         appliedPpm == 0
                             ? QStringLiteral("check the cylinder, its valve and the tubing")
                             : QStringLiteral("check the cylinder's certified value against "
                                              "the entry, its valve and the tubing"));
    if (!healthy)
        list << QStringLiteral("%1 %2 of the run carried the IR-signal warning (reference signal "
                               "below 1000)")
                    .arg(weakSignalReadings)
                    .arg(weakSignalReadings == 1 ? QStringLiteral("reading")
                                                 : QStringLiteral("readings"));
    return list;
}

QString RunJudgement::reasonCode() const
{
    QStringList codes;
    const Settledness &s = settledness;
    if (s.trendQuestioned)
        codes << QStringLiteral("still %1 %2 ppm/min")
                     .arg(s.trend->value < 0 ? QStringLiteral("falling") : QStringLiteral("rising"),
                          figure(s.trend->value));
    if (s.stepQuestioned)
        codes << QStringLiteral("step %1 to %2 ppm")
                     .arg(figure(s.firstHalfMean), figure(s.secondHalfMean));
    if (!plausible)
        codes << QStringLiteral("off by %1 ppm (limit %2)")
                     .arg(figure(differencePpm), figure(correctionLimitPpm));
    if (!healthy)
        codes << QStringLiteral("IR low in %1").arg(weakSignalReadings);
    return codes.join(QStringLiteral("; "));
}

void RecentReadings::add(double seconds, double rx, double ppm)
{
    m_readings.push_back({seconds, rx, ppm});
    while (m_readings.front().seconds <= seconds - windowSeconds)
        m_readings.pop_front();
}

ReadingSeries RecentReadings::series() const
{
    // At most a window's worth of readings: building the sums afresh costs
    // less than taking readings back out of them.
    ReadingSeries series(count());
    for (const Sample &sample : m_readings)
        series.add(sample.seconds, sample.rx, sample.ppm);
    return series;
}

double RecentReadings::mean() const
{
    return series().mean();
}

std::optional<double> RecentReadings::standardDeviation() const
{
    return series().standardDeviation();
}

std::optional<double> RecentReadings::driftPerMinute() const
{
    const auto slope = series().slopePerMinute();
    return slope ? std::optional(slope->value) : std::nullopt;
}

Settledness RecentReadings::settledness() const
{
    const ReadingSeries recent = series();
    return testSettledness(recent, toleranceAt(m_tolerance, std::max(0.0, recent.mean())));
}

RecentReadings::Verdict RecentReadings::verdict() const
{
    // The noise is measured from the readings themselves: over a few seconds
    // a gas that is still coming in looks like noise, and would be called
    // settled. Half the window first.
    if (m_readings.size() < 3
        || m_readings.back().seconds - m_readings.front().seconds < windowSeconds / 2)
        return Verdict::TooFewReadings;
    return settledness().settled() ? Verdict::Settled : Verdict::StillChanging;
}

QString RecentReadings::verdictText() const
{
    switch (verdict()) {
    case Verdict::Settled:
        return QStringLiteral("settled");
    case Verdict::StillChanging:
        return QStringLiteral("still changing");
    case Verdict::TooFewReadings:
        break;
    }
    return {};
}
