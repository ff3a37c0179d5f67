#pragma once

#include "transmitter.h"

#include <string>
#include <string_view>

// The bench operator's side of the simulator: one line of the control
// language (gas, lag, noise, fault ..., irlow, clear, restart, unplug, replug,
// status, help, quit) applied to the transmitter. The text is the answer to
// print, one or more lines.
struct ControlResult {
    std::string text;
    bool quit = false;
    // "unplug" and "replug" act on the pseudo-terminal, which only the
    // program around the transmitter owns.
    enum class Link { Keep, Unplug, Replug } link = Link::Keep;
};

ControlResult runControlCommand(std::string_view line, Transmitter &transmitter, double nowMs);

std::string controlHelpText();
