#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>

// The simulator's only source of chance. The engine and the transform to a
// normal distribution are both fixed here (std::normal_distribution differs
// between standard libraries), so one seed gives the same run everywhere.
class SimRandom {
public:
    explicit SimRandom(std::uint64_t seed) : m_engine(seed) { }

    double uniform() { return double(m_engine() >> 11) * 0x1.0p-53; }

    int between(int low, int high) { return low + int(uniform() * double(high - low + 1)); }

    double gaussian()
    {
        // Box-Muller; 1 - uniform() keeps the logarithm away from zero.
        const double radius = std::sqrt(-2.0 * std::log(1.0 - uniform()));
        return radius * std::cos(2.0 * std::numbers::pi * uniform());
    }

private:
    std::mt19937_64 m_engine;
};
