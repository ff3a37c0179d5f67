#include "run_stability.h"

#include <algorithm>
#include <cmath>

void SignalStability::add(double seconds, double value)
{
    // Welford's update, extended to the co-moment of time and value: stable
    // for the large signal counts of the transmitter and any number of samples.
    ++m_count;
    const double timeStep = seconds - m_meanTime;
    const double valueStep = value - m_meanValue;
    m_meanTime += timeStep / m_count;
    m_meanValue += valueStep / m_count;
    m_timeSquares += timeStep * (seconds - m_meanTime);
    m_valueSquares += valueStep * (value - m_meanValue);
    m_products += timeStep * (value - m_meanValue);
}

std::optional<double> SignalStability::standardDeviation() const
{
    if (m_count < 2)
        return std::nullopt;
    return std::sqrt(std::max(0.0, m_valueSquares) / (m_count - 1));
}

std::optional<double> SignalStability::driftPerMinute() const
{
    if (m_count < 2 || m_timeSquares <= 0)
        return std::nullopt;
    return m_products / m_timeSquares * 60.0;
}
