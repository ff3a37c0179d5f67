#pragma once

#include "transmitter.h"

#include <string>
#include <string_view>
#include <vector>

struct SimOptions {
    std::string link;
    TransmitterSetup setup;
    int baud = 0;
    std::string statePath;
    std::string logPath;
    bool logReplies = false;
    std::string controlPath;
    bool readStdin = true;
};

struct ParsedOptions {
    SimOptions options;
    bool help = false;
    std::string error; // empty when the command line was good
};

ParsedOptions parseOptions(const std::vector<std::string_view> &arguments);

std::string usageText();
