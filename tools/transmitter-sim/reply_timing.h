#pragma once

#include "sim_random.h"

#include <string>
#include <string_view>
#include <vector>

// Bytes to hand to the line at a time counted in milliseconds since start-up.
struct Emission {
    double atMs = 0.0;
    std::string bytes;

    bool operator==(const Emission &) const = default;
};

struct LineTiming {
    // Time one character takes on the line; 0 sends a piece at once, as a
    // pseudo-terminal does.
    double characterMs = 0.0;
    // Break each reply into two or three pieces a few milliseconds apart, as
    // a busy transmitter or a USB adapter does.
    bool pieces = false;
};

// 10 bits a character: start bit, 8 data bits, stop bit.
inline double characterTimeMs(int baud)
{
    return baud > 0 ? 10000.0 / baud : 0.0;
}

// Lays one reply out on the line, its first byte leaving at startMs (plus one
// character time on a timed line). Emissions come in time order.
std::vector<Emission> scheduleReply(std::string_view reply, double startMs,
                                    const LineTiming &timing, SimRandom &random);
