#include "sensor.h"

#include <algorithm>
#include <cmath>
#include <numbers>

double trueRatio(const SensorCurve &curve, double ppm)
{
    if (!(ppm >= 1.0))
        return curve.zeroRatio;
    const double depth
        = std::pow(std::log(ppm) / std::log(curve.spanPpm), 1.0 / curve.tubeCoefficient);
    return curve.zeroRatio - (curve.zeroRatio - curve.spanRatio) * depth;
}

void Sensor::followGas(double nowMs)
{
    // The inlet gas has been constant since the cell was last looked at, so
    // the first-order response is exact for any gap between conversions.
    if (nowMs > m_cellAtMs) {
        const double remaining
            = m_lagSeconds > 0.0 ? std::exp(-(nowMs - m_cellAtMs) / (m_lagSeconds * 1000.0)) : 0.0;
        m_gasInCell = m_gas + (m_gasInCell - m_gas) * remaining;
        m_cellAtMs = nowMs;
    }
}

void Sensor::switchGas(double ppm, double nowMs)
{
    followGas(nowMs);
    m_gas = ppm;
    if (m_lagSeconds <= 0.0)
        m_gasInCell = ppm;
}

Signals Sensor::sample(double nowMs)
{
    followGas(nowMs);
    // The lamp wanders by 0.4 % over ten minutes: visible in the raw signals,
    // harmless to the reading.
    constexpr double driftPeriodMs = 600000.0;
    const double drift = 1.0 + 0.004 * std::sin(2.0 * std::numbers::pi * nowMs / driftPeriodMs);
    const double lamp = (m_weakLamp ? weakReference : nominalReference) * drift;

    const double reference = lamp + m_noiseCounts * m_random.gaussian();
    const double co2
        = lamp * trueRatio(m_curve, m_gasInCell) + m_noiseCounts * m_random.gaussian();
    // The converters give whole counts and cannot go below zero.
    return {std::lround(std::max(reference, 0.0)), std::lround(std::max(co2, 0.0))};
}
