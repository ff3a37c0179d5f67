// Figures of a bench of transmitters in one chamber, against the project's
// simulator (one process per transmitter, each on its own pseudo-terminal,
// replies at 9600 baud's character time), in real time. Prints figures;
// asserts nothing (the machines are noisy).
//
//   chamber_bench [transmitters] [samples]   (default 16 and 10)
//
// - the poll period of every port while the bench samples;
// - a zero run of every transmitter at once against one transmitter's run
//   in a session of its own (as the single window runs it);
// - processor use while they sample;
// - memory: the resident size with one transmitter and with all of them.

#include "bench/bench.h"
#include "fake_platform.h"
#include "platform/qt_platform.h"
#include "platform/qt_serial_port.h"
#include "real_time.h"
#include "simulator_process.h"
#include "window_fixture.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;

// Resident set size in kB, from the kernel's own account.
long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

// Runs the event loop until `done` or `limit` milliseconds; the seconds it took.
template<typename Done> double runUntil(Done done, int limit)
{
    const auto start = SteadyClock::now();
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    check.start(5);
    QTimer::singleShot(limit, &loop, &QEventLoop::quit);
    loop.exec();
    return std::chrono::duration<double>(SteadyClock::now() - start).count();
}

// Seconds between successive "X" the simulator received from the zero
// run's start on (its "T0"), from its log.
std::vector<double> pollIntervals(const SimulatorProcess &sim)
{
    std::vector<double> times;
    bool running = false;
    for (const auto &[second, command] : sim.received()) {
        running = running || command == "T0\\r";
        if (running && command == "X\\r")
            times.push_back(second);
    }
    std::vector<double> intervals;
    for (size_t i = 1; i < times.size(); ++i)
        intervals.push_back(times[i] - times[i - 1]);
    return intervals;
}

std::vector<std::unique_ptr<SimulatorProcess>> startSimulators(int count)
{
    std::vector<std::unique_ptr<SimulatorProcess>> sims;
    for (int i = 0; i < count; ++i) {
        auto sim = std::make_unique<SimulatorProcess>(QStringLiteral(TRANSMITTER_SIM));
        if (!sim->start({QStringLiteral("--calibrated"), QStringLiteral("--gas"),
                         QStringLiteral("0"), QStringLiteral("--baud"), QStringLiteral("9600"),
                         QStringLiteral("--seed"), QString::number(i + 1)})) {
            std::fprintf(stderr, "simulator %d did not start\n", i + 1);
            return {};
        }
        sims.push_back(std::move(sim));
    }
    return sims;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 16;
    const int samples = argc > 2 ? std::max(2, atoi(argv[2])) : 10;
    TemporaryCurrentDir dir;
    FakeDialogs dialogs; // every question answered OK, every choice Cancel
    FakeDesktop desktop;
    FakePrinter printer;
    QtClock clock;

    auto sims = startSimulators(count);
    if (sims.empty())
        return 1;

    // One transmitter in a session of its own, as the single window runs it.
    double singleRun = 0;
    {
        QtSerialPort port(sims[0]->link());
        TransmitterSession session(Platform {port, dialogs, desktop, clock, printer});
        session.openPort(1, '\x03');
        session.Timer1->start();
        runFor(2500);
        session.NumberOfSamples = samples;
        const auto start = SteadyClock::now();
        session.beginZeroRun();
        runUntil([&] { return !session.calibrationRunning(); }, 60000 + samples * 4000);
        singleRun = std::chrono::duration<double>(SteadyClock::now() - start).count();
        session.shutDown();
    }

    const long before = residentKilobytes();
    Bench bench(dialogs, desktop, clock, printer);
    bench.add(std::make_unique<QtSerialPort>(sims[0]->link()), sims[0]->link());
    bench.open();
    runFor(4500);
    const long withOne = residentKilobytes();
    for (int i = 1; i < count; ++i)
        bench.add(std::make_unique<QtSerialPort>(sims[size_t(i)]->link()), sims[size_t(i)]->link());
    bench.close();
    bench.open();
    runFor(4500); // every port polled twice and asked its version
    const long withAll = residentKilobytes();
    const double idleBefore = processorSeconds();
    runFor(20000);
    const double idle = processorSeconds() - idleBefore;

    bench.NumberOfSamples = samples;
    const double cpuBefore = processorSeconds();
    const auto start = SteadyClock::now();
    bench.startZero();
    // The samples between the first few and the last: no query, no store.
    runFor(3000);
    const double samplingBefore = processorSeconds();
    const int samplingMilliseconds = std::max(0, samples - 3) * 2000;
    runFor(samplingMilliseconds);
    const double sampling = processorSeconds() - samplingBefore;
    runUntil([&] { return !bench.running(); }, 60000 + samples * 4000);
    const double benchRun = std::chrono::duration<double>(SteadyClock::now() - start).count();
    const double cpu = processorSeconds() - cpuBefore;

    std::vector<double> all;
    double worstMean = 0;
    for (const auto &sim : sims) {
        const std::vector<double> intervals = pollIntervals(*sim);
        if (intervals.empty())
            continue;
        double sum = 0;
        for (double interval : intervals)
            sum += interval;
        worstMean = std::max(worstMean, sum / double(intervals.size()));
        all.insert(all.end(), intervals.begin(), intervals.end());
    }
    std::sort(all.begin(), all.end());
    int stored = 0;
    for (int i = 0; i < bench.size(); ++i)
        stored += bench.row(i).outcome.startsWith(u"stored") ? 1 : 0;

    std::printf("transmitters %d, samples per run %d, stored %d\n", count, samples, stored);
    for (int i = 0; i < bench.size(); ++i)
        if (!bench.row(i).outcome.startsWith(u"stored"))
            std::printf("  %s: %s\n", qPrintable(bench.row(i).name),
                        qPrintable(bench.row(i).outcome));
    std::printf("poll period while sampling: median %.3f s, shortest %.3f s, longest %.3f s, "
                "worst port's mean %.3f s (%zu intervals)\n",
                all.empty() ? 0 : all[all.size() / 2], all.empty() ? 0 : all.front(),
                all.empty() ? 0 : all.back(), worstMean, all.size());
    std::printf("zero run: bench of %d %.2f s, one transmitter alone %.2f s: %.3f x\n", count,
                benchRun, singleRun, benchRun / singleRun);
    std::printf("processor use polling %d idle transmitters: %.2f %% of one core (%.3f s over "
                "20 s)\n",
                count, 100 * idle / 20, idle);
    std::printf("processor use while %d transmitters are sampled: %.2f %% of one core (%.3f s "
                "over %.1f s)\n",
                count, 100 * sampling / (samplingMilliseconds / 1000.0), sampling,
                samplingMilliseconds / 1000.0);
    std::printf("processor use over the zero run, its stores included: %.2f %% of one core "
                "(%.3f s over %.1f s)\n",
                100 * cpu / benchRun, cpu, benchRun);
    std::printf("resident memory: %ld kB before the bench, %ld kB with one transmitter, %ld kB "
                "with %d: %.0f kB per further transmitter\n",
                before, withOne, withAll, count,
                count > 1 ? double(withAll - withOne) / (count - 1) : 0.0);
    bench.close();
    return 0;
}
