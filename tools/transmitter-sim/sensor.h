#pragma once

#include "sim_random.h"

#include <cstdint>

// How the infrared cell answers CO2: the ratio of the measuring channel to the
// reference channel falls from zeroRatio at no CO2, reaching spanRatio at
// spanPpm, with (ln c)^(1/tubeCoefficient). The transmitter's own inverse
// function assumes the same shape, which is why a zero and a span point are
// enough to calibrate it.
struct SensorCurve {
    double zeroRatio = 1.5;
    double spanRatio = 1.25;
    double spanPpm = 2000.0;
    double tubeCoefficient = 0.2;
};

// The ratio the cell really shows at a concentration. Below 1 ppm the
// logarithm turns negative, and the cell shows its zero ratio there.
double trueRatio(const SensorCurve &curve, double ppm);

struct Signals {
    long reference = 0;
    long co2 = 0;
};

// The optical bench: an applied gas, a lamp that drifts slowly, and detector
// noise on both channels. The drift scales both channels alike, as a lamp
// does, so it cancels in the ratio; the noise does not.
class Sensor {
public:
    static constexpr double nominalReference = 20000.0;
    static constexpr double weakReference = 500.0;
    static constexpr double noiseCounts = 3.0;

    explicit Sensor(std::uint64_t seed) : m_random(seed) { }

    double gas() const { return m_gas; }
    void setGas(double ppm) { m_gas = ppm; }
    bool weakLamp() const { return m_weakLamp; }
    void setWeakLamp(bool weak) { m_weakLamp = weak; }
    const SensorCurve &curve() const { return m_curve; }

    // One conversion of both channels at the given time since start-up.
    Signals sample(double nowMs);

private:
    SensorCurve m_curve;
    SimRandom m_random;
    double m_gas = 400.0;
    bool m_weakLamp = false;
};
