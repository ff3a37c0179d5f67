#include "parameters.h"

#include "sensor.h"

#include <charconv>
#include <cmath>

namespace {

struct Field {
    std::string_view name;
    long TransmitterParameters::*member;
};

constexpr Field fields[] = {
    {"T0", &TransmitterParameters::t0},       {"R0", &TransmitterParameters::r0},
    {"TS", &TransmitterParameters::ts},       {"RS", &TransmitterParameters::rs},
    {"Span", &TransmitterParameters::span},   {"RH", &TransmitterParameters::relayHigh},
    {"RL", &TransmitterParameters::relayLow},
};

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

} // namespace

TransmitterParameters calibratedParameters()
{
    const SensorCurve curve;
    TransmitterParameters p;
    p.r0 = p.rs = std::lround(Sensor::nominalReference);
    p.t0 = std::lround(Sensor::nominalReference * curve.zeroRatio);
    p.ts = std::lround(Sensor::nominalReference * curve.spanRatio);
    p.span = std::lround(curve.spanPpm);
    return p;
}

TransmitterParameters agedParameters()
{
    TransmitterParameters p = calibratedParameters();
    p.t0 = std::lround(double(p.t0) * 1.015);
    return p;
}

std::string stateText(const TransmitterParameters &parameters)
{
    std::string text;
    for (const Field &field : fields) {
        text += field.name;
        text += ' ';
        text += std::to_string(parameters.*field.member);
        text += '\n';
    }
    return text;
}

std::optional<TransmitterParameters> parseStateText(std::string_view text)
{
    TransmitterParameters parameters;
    unsigned seen = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == '#')
            continue;
        const auto blank = line.find(' ');
        if (blank == std::string_view::npos)
            return std::nullopt;
        const std::string_view name = line.substr(0, blank);
        const std::string_view value = trimmed(line.substr(blank));
        bool known = false;
        for (unsigned i = 0; i < std::size(fields); ++i) {
            if (fields[i].name != name)
                continue;
            long number = 0;
            const auto [ptr, ec]
                = std::from_chars(value.data(), value.data() + value.size(), number);
            if (ec != std::errc() || ptr != value.data() + value.size())
                return std::nullopt;
            parameters.*fields[i].member = number;
            seen |= 1u << i;
            known = true;
        }
        if (!known)
            return std::nullopt;
    }
    // A file missing a value would silently bring back a default; refuse it.
    if (seen != (1u << std::size(fields)) - 1)
        return std::nullopt;
    return parameters;
}
