#include "options.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>

namespace {

template<typename Number>
std::optional<Number> parsed(std::string_view text, Number minimum, Number maximum)
{
    Number value {};
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || !(value >= minimum)
        || !(value <= maximum))
        return std::nullopt;
    return value;
}

} // namespace

ParsedOptions parseOptions(const std::vector<std::string_view> &arguments)
{
    ParsedOptions result;
    SimOptions &options = result.options;
    bool calibrated = false;

    for (std::size_t i = 0; i < arguments.size() && result.error.empty(); ++i) {
        std::string_view name = arguments[i];
        std::optional<std::string_view> inlineValue;
        if (name.starts_with("--") && name.find('=') != std::string_view::npos) {
            inlineValue = name.substr(name.find('=') + 1);
            name = name.substr(0, name.find('='));
        }
        const auto value = [&]() -> std::optional<std::string_view> {
            if (inlineValue)
                return inlineValue;
            if (i + 1 < arguments.size())
                return arguments[++i];
            result.error = std::string(name) + " needs a value";
            return std::nullopt;
        };
        const auto flag = [&] {
            if (inlineValue)
                result.error = std::string(name) + " takes no value";
        };

        if (name == "-h" || name == "--help") {
            result.help = true;
        } else if (name == "--calibrated") {
            flag();
            calibrated = true;
        } else if (name == "--irlow") {
            flag();
            options.setup.weakLamp = true;
        } else if (name == "--log-replies") {
            flag();
            options.logReplies = true;
        } else if (name == "--no-stdin") {
            flag();
            options.readStdin = false;
        } else if (name == "--seed" || name == "--gas" || name == "--baud" || name == "--slow"
                   || name == "--fault" || name == "--state" || name == "--log"
                   || name == "--control" || name == "--lag" || name == "--noise") {
            const auto text = value();
            if (!text)
                break;
            // Each number is checked whole: "400ppm" or "9600x" is a typing error.
            bool good = true;
            if (name == "--seed") {
                const auto seed
                    = parsed<std::uint64_t>(*text, 0, std::numeric_limits<std::uint64_t>::max());
                good = seed.has_value();
                options.setup.seed = seed.value_or(0);
            } else if (name == "--gas") {
                const auto ppm = parsed<double>(*text, 0.0, 1e6);
                good = ppm.has_value();
                options.setup.gasPpm = ppm.value_or(0.0);
            } else if (name == "--lag") {
                const auto seconds = parsed<double>(*text, 0.0, 3600.0);
                good = seconds.has_value();
                options.setup.lagSeconds = seconds.value_or(0.0);
            } else if (name == "--noise") {
                const auto percent = parsed<double>(*text, 0.0, 10.0);
                good = percent.has_value();
                options.setup.noisePercent = percent;
            } else if (name == "--baud") {
                const auto baud = parsed<int>(*text, 50, 4000000);
                good = baud.has_value();
                options.baud = baud.value_or(0);
            } else if (name == "--slow") {
                const auto ms = parsed<int>(*text, 0, 60000);
                good = ms.has_value();
                options.setup.faults.slowMs = ms.value_or(0);
            } else if (name == "--fault") {
                Faults &faults = options.setup.faults;
                if (*text == "noreply")
                    faults.noReply = true;
                else if (*text == "error")
                    faults.error = true;
                else if (*text == "garble")
                    faults.garble = true;
                else if (*text == "pieces")
                    faults.pieces = true;
                else
                    good = false;
            } else if (text->empty()) {
                good = false;
            } else if (name == "--state") {
                options.statePath = *text;
            } else if (name == "--log") {
                options.logPath = *text;
            } else {
                options.controlPath = *text;
            }
            if (!good)
                result.error = "bad value for " + std::string(name) + ": " + std::string(*text);
        } else if (name.starts_with("-") && name.size() > 1) {
            result.error = "unknown option " + std::string(name);
        } else if (options.link.empty()) {
            options.link = name;
        } else {
            result.error = "only one link path, got " + std::string(name);
        }
    }
    if (result.error.empty() && !result.help && options.link.empty())
        result.error = "the link path is missing";

    options.setup.saved = calibrated ? calibratedParameters() : agedParameters();
    options.setup.characterMs = characterTimeMs(options.baud);
    return result;
}

std::string usageText()
{
    return "usage: transmitter-sim [options] LINK\n"
           "\n"
           "Simulates the CO2 transmitter on a pseudo-terminal and makes LINK a symbolic\n"
           "link to it (an existing symbolic link is replaced, any other file is refused).\n"
           "The link is removed on exit. Control commands are read from standard input;\n"
           "type help there for the list.\n"
           "\n"
           "  --seed N        seed of the noise and of the reply pieces (default 1)\n"
           "  --gas PPM       gas applied at start (default 400)\n"
           "  --lag SECONDS   time constant of the gas reaching the cell (default 0:\n"
           "                  at once)\n"
           "  --noise PERCENT detector noise in % of the reference signal, on both\n"
           "                  channels (default 0.015, 3 counts)\n"
           "  --calibrated    start well calibrated (default: zero point 1.5 % off,\n"
           "                  reading about 90 ppm high at 400 ppm)\n"
           "  --state FILE    take the saved parameters from FILE if it exists and write\n"
           "                  them there on every SAVE or Save\n"
           "  --baud N        send replies at the character time of N baud, byte by byte\n"
           "  --fault NAME    start with a fault: noreply, error, garble or pieces\n"
           "                  (may be repeated)\n"
           "  --slow MS       start every reply MS later\n"
           "  --irlow         start with a weak infrared source\n"
           "  --log FILE      write the log to FILE instead of standard error\n"
           "  --log-replies   log the replies (TX) as well as the commands (RX)\n"
           "  --control FIFO  also read control commands from the named pipe FIFO\n"
           "                  (created if missing)\n"
           "  --no-stdin      do not read control commands from standard input\n"
           "  -h, --help      show this text\n";
}
