#include "transmitter.h"

#include <array>
#include <optional>

namespace {

// A parameter that has a query ("T0") and a setting form ("T0" and a value).
struct Setting {
    std::string_view command;
    std::string_view label;
    long TransmitterParameters::*member;
    long minimum;
    long maximum;
};

// Values are limited to what a six-character field shows. The span is a
// concentration and has to be above 1 ppm for its logarithm to be of use.
constexpr std::array settings {
    Setting {"T0", "T0 = ", &TransmitterParameters::t0, -99999, 999999},
    Setting {"R0", "R0 = ", &TransmitterParameters::r0, -99999, 999999},
    Setting {"TS", "TSpan = ", &TransmitterParameters::ts, -99999, 999999},
    Setting {"RS", "RSpan = ", &TransmitterParameters::rs, -99999, 999999},
    Setting {"RH", "Relay high = ", &TransmitterParameters::relayHigh, -99999, 999999},
    Setting {"RL", "Relay low = ", &TransmitterParameters::relayLow, -99999, 999999},
    // The span's value stands one place further from its label than the
    // others do; the calibration tool reads it from there.
    Setting {"SPAN", "Span =  ", &TransmitterParameters::span, 2, 999999},
};

// A whole number with an optional sign and nothing else: the firmware takes
// no blanks, no decimals and no exponent.
std::optional<long> wholeNumber(std::string_view text, long minimum, long maximum)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 7)
        return std::nullopt;
    long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (negative)
        value = -value;
    if (value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

std::vector<std::string> parameterListing(const TransmitterParameters &p)
{
    return {
        "T0 = " + std::to_string(p.t0),
        "R0 = " + std::to_string(p.r0),
        "TS = " + std::to_string(p.ts),
        "RS = " + std::to_string(p.rs),
        "Span = " + std::to_string(p.span),
        "Relay high = " + std::to_string(p.relayHigh),
        "Relay low = " + std::to_string(p.relayLow),
    };
}

} // namespace

Transmitter::CommandReply Transmitter::execute(std::string_view command, double nowMs)
{
    // A lone carriage return is how a terminal user wakes the transmitter:
    // just a fresh prompt.
    if (command.empty() || command == "NOTEST")
        return {};
    if (command == "X") {
        const Reading now = reading(nowMs);
        return {{m_faults.garble ? garbledDataLine(now) : dataLine(now)}};
    }
    if (command == "VER")
        return {{std::string(version)}};
    if (command == "PARAM")
        return {parameterListing(m_working)};
    // The zero and span store and the relay store are two commands in the
    // firmware, but both write the whole working set.
    if (command == "SAVE" || command == "Save") {
        m_saved = m_working;
        ++m_storeCount;
        return {{}, storeMs};
    }
    for (const Setting &setting : settings) {
        if (command == setting.command)
            return {{std::string(setting.label) + std::to_string(m_working.*setting.member)}};
        if (command.starts_with(setting.command)) {
            const auto value = wholeNumber(command.substr(setting.command.size()), setting.minimum,
                                           setting.maximum);
            if (!value)
                return rejected();
            m_working.*setting.member = *value;
            return {};
        }
    }
    return rejected();
}
