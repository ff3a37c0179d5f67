#pragma once

#include "command_assembler.h"
#include "data_line.h"
#include "parameters.h"
#include "reply_timing.h"
#include "sensor.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Ways the transmitter or its cable can misbehave, switched on from the
// control input. They combine; clearing them all gives a healthy transmitter.
struct Faults {
    bool noReply = false; // takes commands and answers nothing
    bool error = false; // answers ERROR to every command, changes nothing
    bool garble = false; // the data line arrives shifted
    bool pieces = false; // each reply arrives in two or three pieces
    int slowMs = 0; // every reply starts this much later

    bool operator==(const Faults &) const = default;
};

struct TransmitterSetup {
    std::uint64_t seed = 1;
    TransmitterParameters saved = agedParameters();
    double gasPpm = 400.0;
    double lagSeconds = 0.0; // the cell's time constant
    std::optional<double> noisePercent; // unset: the healthy cell's 3 counts
    bool weakLamp = false;
    Faults faults;
    double characterMs = 0.0;
};

// The simulated transmitter without any input or output of its own: it is fed
// the bytes that arrive and the time they arrive at, and answers with the
// bytes to send and when to send them. Everything random comes from the seed,
// so the same input gives the same output.
class Transmitter {
public:
    // The transmitter converts once a second and averages the last four
    // concentrations for its display value.
    static constexpr double measurementPeriodMs = 1000.0;
    static constexpr std::size_t averagedMeasurements = 4;
    // Writing the parameters into non-volatile memory takes a moment.
    static constexpr double storeMs = 80.0;

    static constexpr std::string_view version = "STD 2.15 (simulated)";

    explicit Transmitter(const TransmitterSetup &setup = {});

    struct Output {
        std::vector<ReceivedItem> received;
        std::vector<Emission> emissions;
    };
    Output receive(std::string_view bytes, double nowMs);

    // The readings the next "X" would show; also advances the measurement.
    Reading reading(double nowMs);

    // Power off and on: unsaved settings and any half-received command are
    // lost, the averaging starts again.
    void restart();

    Sensor &sensor() { return m_sensor; }
    Faults &faults() { return m_faults; }
    const Faults &faults() const { return m_faults; }
    double characterMs() const { return m_characterMs; }
    const TransmitterParameters &working() const { return m_working; }
    const TransmitterParameters &saved() const { return m_saved; }
    // Counts the stores, so whoever keeps the saved parameters on disk knows
    // when to write them.
    int storeCount() const { return m_storeCount; }

private:
    struct CommandReply {
        std::vector<std::string> lines;
        double busyMs = 0.0;
    };
    static CommandReply rejected();
    CommandReply execute(std::string_view command, double nowMs);
    void measure(double atMs);

    Sensor m_sensor;
    SimRandom m_lineRandom;
    CommandAssembler m_assembler;
    Faults m_faults;
    double m_characterMs = 0.0;
    double m_lineFreeAtMs = 0.0;

    TransmitterParameters m_working;
    TransmitterParameters m_saved;
    int m_storeCount = 0;

    bool m_measuring = false;
    long m_lastPeriod = 0;
    std::deque<double> m_recentPpm;
    Reading m_latest;
};
