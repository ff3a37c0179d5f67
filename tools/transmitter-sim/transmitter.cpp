#include "transmitter.h"

#include "concentration.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// The line noise of the pieces fault must not disturb the sensor's noise, so
// a run with and without the fault shows the same readings.
constexpr std::uint64_t lineSeedSalt = 0x9e3779b97f4a7c15ull;

std::string framed(std::string_view echo, const std::vector<std::string> &lines)
{
    std::string reply(echo);
    reply += "\r\n";
    for (const std::string &line : lines) {
        reply += line;
        reply += "\r\n";
    }
    reply += '>';
    return reply;
}

} // namespace

Transmitter::Transmitter(const TransmitterSetup &setup)
    : m_sensor(setup.seed), m_lineRandom(setup.seed ^ lineSeedSalt), m_faults(setup.faults),
      m_characterMs(setup.characterMs), m_working(setup.saved), m_saved(setup.saved)
{
    m_sensor.setGas(setup.gasPpm);
    m_sensor.setLagSeconds(setup.lagSeconds);
    if (setup.noisePercent)
        m_sensor.setNoisePercent(*setup.noisePercent);
    m_sensor.setWeakLamp(setup.weakLamp);
}

Transmitter::Output Transmitter::receive(std::string_view bytes, double nowMs)
{
    Output output;
    output.received = m_assembler.feed(bytes);
    for (const ReceivedItem &item : output.received) {
        // End of text and backspace only clear the input; they get no answer.
        if (m_faults.noReply || item.kind != ReceivedItem::Kind::Command)
            continue;
        const CommandReply reply
            = m_faults.error || item.overflowed ? rejected() : execute(item.text, nowMs);
        // Replies leave one after another: a command that arrives while the
        // previous answer is still going out waits for the line.
        const double start = std::max(nowMs + m_faults.slowMs + reply.busyMs, m_lineFreeAtMs);
        const LineTiming timing {m_characterMs, m_faults.pieces};
        auto emissions = scheduleReply(framed(item.text, reply.lines), start, timing, m_lineRandom);
        m_lineFreeAtMs = emissions.back().atMs;
        output.emissions.insert(output.emissions.end(), emissions.begin(), emissions.end());
    }
    return output;
}

Reading Transmitter::reading(double nowMs)
{
    const auto period = long(std::floor(nowMs / measurementPeriodMs));
    if (!m_measuring) {
        // Switched on: fill the average at once instead of showing a ramp.
        for (std::size_t i = 0; i < averagedMeasurements; ++i)
            measure(nowMs);
        m_measuring = true;
    } else {
        const long missed = std::min(period - m_lastPeriod, long(averagedMeasurements));
        for (long k = missed - 1; k >= 0; --k)
            measure(double(period - k) * measurementPeriodMs);
    }
    m_lastPeriod = std::max(period, m_lastPeriod);
    m_latest.weakLamp = m_sensor.weakLamp();
    return m_latest;
}

void Transmitter::measure(double atMs)
{
    const Signals signals = m_sensor.sample(atMs);
    const double ppm
        = transmitterConcentration(m_working, double(signals.co2), double(signals.reference));
    m_recentPpm.push_back(ppm);
    while (m_recentPpm.size() > averagedMeasurements)
        m_recentPpm.pop_front();
    m_latest.signals = signals;
    m_latest.instantPpm = ppm;
    m_latest.averagePpm
        = std::accumulate(m_recentPpm.begin(), m_recentPpm.end(), 0.0) / double(m_recentPpm.size());
}

void Transmitter::restart()
{
    m_working = m_saved;
    m_assembler.reset();
    m_recentPpm.clear();
    m_measuring = false;
}

Transmitter::CommandReply Transmitter::rejected()
{
    return {{"ERROR"}, 0.0};
}
