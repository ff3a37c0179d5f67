#pragma once

#include <optional>

// How steady one signal has been over the samples of a run: its mean, its
// spread and its drift. Updated one sample at a time, so a run of any length
// keeps no list of samples.
class SignalStability {
public:
    void add(double seconds, double value);

    int count() const { return m_count; }
    double mean() const { return m_meanValue; }
    // The sample standard deviation (divided by n - 1); none below two samples.
    std::optional<double> standardDeviation() const;
    // The least-squares slope of the value over time, per minute; none below
    // two samples or while all samples share one time.
    std::optional<double> driftPerMinute() const;
    // The sum of squared deviations of the times from their mean (s²), which
    // a slope's standard error divides by.
    double timeSpread() const { return m_timeSquares; }

private:
    int m_count = 0;
    double m_meanTime = 0;
    double m_meanValue = 0;
    double m_timeSquares = 0; // sum of squared deviations of the times
    double m_valueSquares = 0; // ... of the values
    double m_products = 0; // sum of the products of both deviations
};

// The reference and CO2 signals of one run.
struct RunStability {
    SignalStability reference;
    SignalStability co2;

    void add(double seconds, double rx, double tx)
    {
        reference.add(seconds, rx);
        co2.add(seconds, tx);
    }
};
