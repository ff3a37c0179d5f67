#pragma once

#include "transmitter.h"

#include <string>
#include <string_view>

// The bench operator's side of the simulator: one line of the control
// language (gas, fault ..., irlow, clear, restart, status, help, quit) applied
// to the transmitter. The text is the answer to print, one or more lines.
struct ControlResult {
    std::string text;
    bool quit = false;
};

ControlResult runControlCommand(std::string_view line, Transmitter &transmitter, double nowMs);

std::string controlHelpText();
