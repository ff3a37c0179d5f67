#pragma once

#include "sensor.h"

#include <string>

// What the transmitter shows at one moment: the raw signals of its last
// conversion and the concentration it makes of them.
struct Reading {
    Signals signals;
    double instantPpm = 0.0;
    double averagePpm = 0.0;
    double temperature = 25.0;
    bool weakLamp = false;
};

// The answer to "X": 39 characters, four right-aligned six-digit fields
// (reference, CO2 signal, instant ppm, averaged ppm) with tabs after the first
// two and a blank after the third, then the cell temperature and a status
// word (1 when the reference signal is too weak to trust).
std::string dataLine(const Reading &reading);

// The same line as a disturbed line delivers it: everything one place to the
// right, so the tabs stand at 8 and 15. The length stays 39.
std::string garbledDataLine(const Reading &reading);
