#include "data_line.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Six characters whatever the value: the receiving side reads fixed columns.
std::string field(double value)
{
    const long whole = std::clamp(std::lround(value), -99999L, 999999L);
    char text[8];
    std::snprintf(text, sizeof text, "%6ld", whole);
    return text;
}

} // namespace

std::string dataLine(const Reading &reading)
{
    char trailer[16];
    std::snprintf(trailer, sizeof trailer, "%6.1f%6d",
                  std::clamp(reading.temperature, -99.9, 999.9), reading.weakLamp ? 1 : 0);
    return field(double(reading.signals.reference)) + '\t' + field(double(reading.signals.co2))
        + '\t' + field(reading.instantPpm) + ' ' + field(reading.averagePpm) + trailer;
}

std::string garbledDataLine(const Reading &reading)
{
    const std::string line = dataLine(reading);
    return ' ' + line.substr(0, line.size() - 1);
}
