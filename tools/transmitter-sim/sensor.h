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

// The optical bench: an applied gas that reaches the cell through a
// first-order lag, a lamp that drifts slowly, and detector noise on both
// channels. The drift scales both channels alike, as a lamp does, so it
// cancels in the ratio; the noise does not.
class Sensor {
public:
    static constexpr double nominalReference = 20000.0;
    static constexpr double weakReference = 500.0;
    // The detector noise of a healthy cell: 3 counts, 0.015 % of the nominal
    // reference signal, on each channel.
    static constexpr double defaultNoiseCounts = 3.0;

    explicit Sensor(std::uint64_t seed) : m_random(seed) { }

    // The gas applied to the cell's inlet.
    double gas() const { return m_gas; }
    // The gas in the cell at the time of the last conversion or change.
    double gasInCell() const { return m_gasInCell; }
    // A gas that is already in the cell, as at start-up: no lag.
    void setGas(double ppm) { m_gas = m_gasInCell = ppm; }
    // A gas switched on at a moment: the cell follows with the lag.
    void switchGas(double ppm, double nowMs);

    // The cell's time constant; 0 makes every change reach it at once.
    double lagSeconds() const { return m_lagSeconds; }
    void setLagSeconds(double seconds) { m_lagSeconds = seconds; }
    // The detector noise (standard deviation) in % of the nominal reference
    // signal, the same number of counts on both channels.
    double noisePercent() const { return m_noiseCounts / nominalReference * 100.0; }
    void setNoisePercent(double percent) { m_noiseCounts = percent / 100.0 * nominalReference; }

    bool weakLamp() const { return m_weakLamp; }
    void setWeakLamp(bool weak) { m_weakLamp = weak; }
    const SensorCurve &curve() const { return m_curve; }

    // One conversion of both channels at the given time since start-up.
    Signals sample(double nowMs);

private:
    void followGas(double nowMs);

    SensorCurve m_curve;
    SimRandom m_random;
    double m_gas = 400.0;
    double m_gasInCell = 400.0;
    double m_cellAtMs = 0.0;
    double m_lagSeconds = 0.0;
    double m_noiseCounts = defaultNoiseCounts;
    bool m_weakLamp = false;
};
