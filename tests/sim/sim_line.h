#pragma once

#include "transmitter.h"

#include <QByteArray>

#include <string>
#include <string_view>

// Drives the simulated transmitter the way the calibration tool does: a
// command goes out whole, and everything the transmitter answers is gathered,
// ignoring when each byte would leave. Time only moves when the test says so.
class SimLine {
public:
    explicit SimLine(const TransmitterSetup &setup = {}) : transmitter(setup) { }

    QByteArray send(const QByteArray &bytes)
    {
        QByteArray reply;
        const std::string_view wire(bytes.constData(), std::size_t(bytes.size()));
        for (const Emission &emission : transmitter.receive(wire, nowMs).emissions)
            reply += QByteArray::fromStdString(emission.bytes);
        return reply;
    }
    QByteArray command(const QByteArray &text) { return send(text + '\r'); }
    void wait(double ms) { nowMs += ms; }

    Transmitter transmitter;
    double nowMs = 0.0;
};

inline TransmitterSetup calibratedSetup(double gasPpm = 400.0, std::uint64_t seed = 1)
{
    TransmitterSetup setup;
    setup.saved = calibratedParameters();
    setup.gasPpm = gasPpm;
    setup.seed = seed;
    return setup;
}
