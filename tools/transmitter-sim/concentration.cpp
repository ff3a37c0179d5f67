#include "concentration.h"

#include <cmath>

double transmitterConcentration(const TransmitterParameters &parameters, double co2,
                                double reference)
{
    // The firmware's fixed tube coefficient, the same 0.2 the calibration tool
    // uses when it computes a span point.
    constexpr double tubeCoefficient = 0.2;

    if (!(reference > 0.0) || parameters.r0 <= 0 || parameters.rs <= 0 || parameters.span <= 1)
        return 0.0;
    const double ratio = co2 / reference;
    const double zeroRatio = double(parameters.t0) / double(parameters.r0);
    const double spanRatio = double(parameters.ts) / double(parameters.rs);
    // A span point at or above the zero point gives a curve that never falls:
    // no concentration can be read from it.
    if (!(zeroRatio > spanRatio) || !(ratio < zeroRatio))
        return 0.0;

    const double depth = (zeroRatio - ratio) / (zeroRatio - spanRatio);
    const double logPpm = std::log(double(parameters.span)) * std::pow(depth, tubeCoefficient);
    if (!(logPpm < std::log(maximumPpm)))
        return maximumPpm;
    return std::exp(logPpm);
}
