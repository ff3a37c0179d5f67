#include "as_left.h"

#include "judgement/run_judgement.h"

#include <algorithm>
#include <cmath>

AsLeftSpan countedAsLeft(const QList<double> &readings, const AsLeftFigures &figures)
{
    if (readings.isEmpty())
        return {};
    const double floor = settlednessFloorFraction * figures.tolerancePpm;
    // How far a reading may lie from the mean of `n` counted ones on noise
    // alone: its own noise and the mean's together.
    const auto limit = [&](qsizetype n) {
        return std::max(asLeftNoiseFactor * figures.noisePpm * std::sqrt(1 + 1.0 / double(n)),
                        floor);
    };
    // Distances from the gas, counted positive on the side the run found the
    // transmitter on.
    const double side = figures.correctionPpm < 0 ? -1 : 1;
    const auto offGas = [&](double reading) { return (reading - figures.appliedPpm) * side; };

    AsLeftSpan span {0, 1};
    if (std::abs(figures.correctionPpm) > limit(1) && offGas(readings[0]) > limit(1)) {
        // Perhaps part old, part new: the second reading decides. On a new
        // gas it has moved off beyond the first, or past the gas.
        if (readings.size() < 2 || offGas(readings[1]) < -limit(1)
            || offGas(readings[1]) > offGas(readings[0]) + limit(1))
            return {};
        span.first = 1;
    }
    double sum = readings[span.first];
    for (qsizetype i = span.first + 1; i < readings.size(); ++i) {
        if (std::abs(readings[i] - sum / double(span.count)) > limit(span.count))
            break;
        ++span.count;
        sum += readings[i];
    }
    return span;
}
