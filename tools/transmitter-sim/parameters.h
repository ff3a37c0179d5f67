#pragma once

#include <optional>
#include <string>
#include <string_view>

// The transmitter's calibration and relay settings, as its command set reads
// and writes them. Signals are counts of the detector converters; the span and
// the relay levels are in ppm.
struct TransmitterParameters {
    long t0 = 30000;
    long r0 = 20000;
    long ts = 25000;
    long rs = 20000;
    long span = 2000;
    long relayHigh = 800;
    long relayLow = 700;

    bool operator==(const TransmitterParameters &) const = default;
};

// What a transmitter fresh from a well-done calibration holds for our sensor.
TransmitterParameters calibratedParameters();

// A transmitter whose zero point has aged: T0 stored 1.5 % above the sensor's
// true zero signal, so it reads about 90 ppm high at 400 ppm and about 100 ppm
// at zero gas. This is the bench situation the calibration is for.
TransmitterParameters agedParameters();

// The state file keeps the saved parameters between runs of the simulator,
// one "NAME VALUE" line each, in the names of the PARAM listing.
std::string stateText(const TransmitterParameters &parameters);
std::optional<TransmitterParameters> parseStateText(std::string_view text);
