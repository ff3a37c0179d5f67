#include "control_language.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

std::vector<std::string_view> words(std::string_view line)
{
    std::vector<std::string_view> result;
    std::size_t at = 0;
    while (true) {
        at = line.find_first_not_of(" \t\r", at);
        if (at == std::string_view::npos)
            return result;
        const std::size_t end = line.find_first_of(" \t\r", at);
        result.push_back(line.substr(at, end == std::string_view::npos ? end : end - at));
        at = end;
    }
}

std::optional<double> number(std::string_view text, double minimum, double maximum)
{
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || !std::isfinite(value)
        || value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

std::string faultText(const Faults &faults)
{
    std::string text;
    const auto add = [&text](bool on, const std::string &name) {
        if (on)
            text += (text.empty() ? "" : " ") + name;
    };
    add(faults.noReply, "noreply");
    add(faults.error, "error");
    add(faults.garble, "garble");
    add(faults.pieces, "pieces");
    add(faults.slowMs > 0, "slow " + std::to_string(faults.slowMs));
    return text.empty() ? "none" : text;
}

std::string parameterText(const TransmitterParameters &p)
{
    char text[160];
    std::snprintf(text, sizeof text, "T0 %ld R0 %ld TS %ld RS %ld Span %ld RH %ld RL %ld", p.t0,
                  p.r0, p.ts, p.rs, p.span, p.relayHigh, p.relayLow);
    return text;
}

std::string statusText(Transmitter &transmitter, double nowMs)
{
    const Reading now = transmitter.reading(nowMs);
    const Sensor &sensor = transmitter.sensor();
    char gasLine[160];
    std::snprintf(gasLine, sizeof gasLine,
                  "gas %g ppm (in the cell %.0f ppm, lag %g s, noise %g %%), IR %s, faults: ",
                  sensor.gas(), sensor.gasInCell(), sensor.lagSeconds(), sensor.noisePercent(),
                  sensor.weakLamp() ? "low" : "normal");
    char readingLine[120];
    std::snprintf(readingLine, sizeof readingLine, "reading R %ld T %ld ppm %.0f avg %.0f",
                  now.signals.reference, now.signals.co2, now.instantPpm, now.averagePpm);
    return gasLine + faultText(transmitter.faults()) + "\nworking "
        + parameterText(transmitter.working()) + "\nsaved   " + parameterText(transmitter.saved())
        + '\n' + readingLine;
}

ControlResult failed(std::string_view line)
{
    return {"error: cannot do \"" + std::string(line) + "\" (try help)", false};
}

} // namespace

ControlResult runControlCommand(std::string_view line, Transmitter &transmitter, double nowMs)
{
    const std::vector<std::string_view> word = words(line);
    if (word.empty())
        return {};
    const std::string_view verb = word[0];
    Faults &faults = transmitter.faults();

    if (verb == "gas" && word.size() == 2) {
        const auto ppm = number(word[1], 0.0, 1e6);
        if (!ppm)
            return failed(line);
        transmitter.sensor().switchGas(*ppm, nowMs);
        return {"ok gas " + std::string(word[1]) + " ppm"};
    }
    if (verb == "lag" && word.size() == 2) {
        const auto seconds = number(word[1], 0.0, 3600.0);
        if (!seconds)
            return failed(line);
        // The gas in the cell so far followed the old time constant.
        transmitter.sensor().switchGas(transmitter.sensor().gas(), nowMs);
        transmitter.sensor().setLagSeconds(*seconds);
        return {"ok lag " + std::string(word[1]) + " s"};
    }
    if (verb == "noise" && word.size() == 2) {
        const auto percent = number(word[1], 0.0, 10.0);
        if (!percent)
            return failed(line);
        transmitter.sensor().setNoisePercent(*percent);
        return {"ok noise " + std::string(word[1]) + " %"};
    }
    if (verb == "fault" && word.size() == 3 && word[1] == "slow") {
        const auto ms = number(word[2], 0.0, 60000.0);
        if (!ms)
            return failed(line);
        faults.slowMs = int(std::lround(*ms));
        return {"ok faults: " + faultText(faults)};
    }
    if (verb == "fault" && word.size() == 2) {
        if (word[1] == "noreply")
            faults.noReply = true;
        else if (word[1] == "error")
            faults.error = true;
        else if (word[1] == "garble")
            faults.garble = true;
        else if (word[1] == "pieces")
            faults.pieces = true;
        else
            return failed(line);
        return {"ok faults: " + faultText(faults)};
    }
    if (word.size() != 1)
        return failed(line);
    if (verb == "irlow") {
        transmitter.sensor().setWeakLamp(true);
        return {"ok IR low"};
    }
    if (verb == "clear") {
        faults = {};
        transmitter.sensor().setWeakLamp(false);
        return {"ok faults: none, IR normal"};
    }
    if (verb == "restart") {
        transmitter.restart();
        return {"ok restarted with the saved parameters"};
    }
    if (verb == "unplug")
        return {"ok unplugged", false, ControlResult::Link::Unplug};
    if (verb == "replug")
        return {"ok plugged in", false, ControlResult::Link::Replug};
    if (verb == "status")
        return {statusText(transmitter, nowMs)};
    if (verb == "help")
        return {controlHelpText()};
    if (verb == "quit")
        return {"ok quit", true};
    return failed(line);
}

std::string controlHelpText()
{
    return "gas PPM          apply a gas of PPM (0 for zero gas); it reaches the\n"
           "                 cell with the lag\n"
           "lag SECONDS      time constant of the gas reaching the cell (0: at once)\n"
           "noise PERCENT    detector noise in % of the reference signal\n"
           "fault noreply    take commands, answer nothing\n"
           "fault error      answer ERROR to every command\n"
           "fault garble     shift the data line of X by one place\n"
           "fault pieces     send each reply in two or three pieces\n"
           "fault slow MS    start each reply MS later (0: at once)\n"
           "irlow            weak infrared source (reference about 500)\n"
           "clear            no faults, normal infrared source\n"
           "restart          power cycle: unsaved settings are lost\n"
           "unplug           pull the USB adapter: the line hangs up, the link goes\n"
           "replug           plug it in again: a new line behind the same link\n"
           "status           show gas, faults, parameters and the reading\n"
           "quit             stop the simulator";
}
