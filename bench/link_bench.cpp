// Figures of the link: processor use while polling, the time from a reply's
// prompt reaching the port to the reply wait returning, and the poll period.
// Prints figures; asserts nothing (the machines are noisy).
//
//   link_bench cpu [seconds]      processor use, answering and silent transmitter
//   link_bench latency [count]    prompt-to-return latency over a pseudo-terminal
//   link_bench period [polls]     time from the end of an exchange to the next "X"
//   link_bench download [lines] the time a parameter file of that many lines takes
//                                 to go to the simulator at 9600 baud, five times
//   link_bench reconnect [seconds]
//                                 processor use while waiting for an unplugged
//                                 simulator, then the time from each replug to
//                                 the port reopened and to the first poll

#include "pty_link.h"
#include "real_port_window.h"
#include "real_time.h"
#include "simulator_process.h"
#include "window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

int processorUse(int seconds)
{
    for (const bool silent : {false, true}) {
        TemporaryCurrentDir dir;
        SimulatorProcess sim(QStringLiteral(TRANSMITTER_SIM));
        QStringList options {QStringLiteral("--calibrated")};
        if (silent)
            options << QStringLiteral("--fault") << QStringLiteral("noreply");
        if (!sim.start(options)) {
            std::fprintf(stderr, "the simulator did not start\n");
            return 1;
        }
        RealPortWindow program(sim.link());
        // Shown, so each reading is painted as it would be on the bench.
        program.window->show();
        const double before = processorSeconds();
        const auto start = Clock::now();
        runFor(seconds * 1000);
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        const double used = processorSeconds() - before;
        std::printf("processor use while polling, %s transmitter: %.3f %% of one core "
                    "(%.3f s over %.1f s, %lld polls)\n",
                    silent ? "silent" : "answering", 100 * used / wall, used, wall,
                    qlonglong(sim.received().size()));
    }
    return 0;
}

int latency(int count)
{
    TemporaryCurrentDir dir;
    std::string error;
    const auto link = PtyLink::create(dir.path().toStdString() + "/ttyBENCH", error);
    PtyLink &line = *link;
    RealPortWindow program(QString::fromStdString(line.linkPath()));
    line.read(200); // the end-of-text byte
    program.window->session().Timer1->stop();

    std::atomic<bool> running {true};
    // When the far end sent its last prompt; written by its thread.
    std::atomic<Clock::time_point> sent;
    std::thread transmitter([&] {
        while (running) {
            if (line.read(200, 0).empty())
                continue;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            sent = Clock::now();
            line.write("T0\r\nT0 = 30000\r\n>");
        }
    });
    std::vector<double> microseconds;
    for (int i = 0; i < count; ++i) {
        program.port.write("T0\r");
        if (!program.window->session().WaitForReply(std::chrono::milliseconds(1000), '>'))
            continue;
        const auto returned = Clock::now();
        microseconds.push_back(
            std::chrono::duration<double, std::micro>(returned - sent.load()).count());
    }
    running = false;
    transmitter.join();
    std::printf("prompt to return of the reply wait over a pseudo-terminal, %zu exchanges: "
                "median %.3f ms, 99th percentile %.3f ms, worst %.3f ms\n",
                microseconds.size(), percentile(microseconds, 0.5) / 1000,
                percentile(microseconds, 0.99) / 1000, percentile(microseconds, 1.0) / 1000);
    return 0;
}

int period(int polls)
{
    TemporaryCurrentDir dir;
    std::string error;
    const auto link = PtyLink::create(dir.path().toStdString() + "/ttyBENCH", error);
    PtyLink &line = *link;
    RealPortWindow program(QString::fromStdString(line.linkPath()));
    line.read(200);

    // The far end notes when each "X" arrives and when its prompt goes out.
    std::vector<std::pair<Clock::time_point, Clock::time_point>> exchanges;
    std::mutex guard; // of `exchanges`, which the far end's thread fills
    std::atomic<bool> running {true};
    std::thread transmitter([&] {
        while (running) {
            if (line.read(200, 0).empty())
                continue;
            const auto arrived = Clock::now();
            line.write(ScriptedTransmitter::reading(20000, 30000, 400, 400).toStdString());
            const std::lock_guard lock(guard);
            exchanges.emplace_back(arrived, Clock::now());
        }
    });
    const auto exchanged = [&] {
        const std::lock_guard lock(guard);
        return int(exchanges.size());
    };
    while (exchanged() < polls + 1)
        runFor(100);
    running = false;
    transmitter.join();

    std::vector<double> gaps;
    for (size_t i = 1; i < exchanges.size(); ++i)
        gaps.push_back(
            std::chrono::duration<double, std::milli>(exchanges[i].first - exchanges[i - 1].second)
                .count());
    std::printf("end of an exchange to the next \"X\", %zu polls: median %.2f ms, min %.2f ms, max "
                "%.2f ms\n",
                gaps.size(), percentile(gaps, 0.5), percentile(gaps, 0), percentile(gaps, 1));
    return 0;
}

// The real serial port, counting the tries to open it.
class OpenCountingPort : public QtSerialPort {
public:
    bool open() override
    {
        ++tries;
        return QtSerialPort::open();
    }
    int tries = 0;
};

// The end-of-text and the first "X" after the last plug-in, in seconds after it.
std::pair<double, double> afterReplug(const SimulatorProcess &sim)
{
    const double replugged = sim.logged("START").last().first;
    double reopened = -1;
    for (const auto &[at, command] : sim.received()) {
        if (at < replugged)
            continue;
        if (command == "\\x03")
            reopened = at - replugged;
        else if (command == "X\\r" && reopened >= 0)
            return {reopened, at - replugged};
    }
    return {reopened, -1};
}

int reconnect(int seconds)
{
    TemporaryCurrentDir dir;
    SimulatorProcess sim(QStringLiteral(TRANSMITTER_SIM));
    if (!sim.start({QStringLiteral("--calibrated")})) {
        std::fprintf(stderr, "the simulator did not start\n");
        return 1;
    }
    RealPortWindow<OpenCountingPort> program(sim.link());
    program.window->show();
    runFor(2500);
    sim.control("unplug");
    runFor(500);
    if (program.port.isOpen()) {
        std::fprintf(stderr, "the window did not see the device go\n");
        return 1;
    }
    const int triesBefore = program.port.tries;
    const double before = processorSeconds();
    const auto start = Clock::now();
    runFor(seconds * 1000);
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double used = processorSeconds() - before;
    std::printf("processor use while waiting for an unplugged device: %.3f %% of one core "
                "(%.3f s over %.1f s, %d tries to open)\n",
                100 * used / wall, used, wall, program.port.tries - triesBefore);

    // Replugged at different moments of the one-second tries.
    std::vector<double> reopened, polled;
    for (int i = 0; i < 8; ++i) {
        sim.control("replug");
        for (int waited = 0; waited < 5000 && afterReplug(sim).second < 0; waited += 20)
            runFor(20);
        const auto [open, poll] = afterReplug(sim);
        if (poll >= 0) {
            reopened.push_back(open * 1000);
            polled.push_back(poll * 1000);
        }
        sim.control("unplug");
        runFor(1500 + 370 * i);
    }
    if (polled.empty()) {
        std::fprintf(stderr, "the port was never reopened\n");
        return 1;
    }
    std::printf("replug to the port reopened, %zu replugs: median %.0f ms, max %.0f ms\n",
                reopened.size(), percentile(reopened, 0.5), percentile(reopened, 1));
    std::printf("replug to the first poll, %zu replugs: median %.0f ms, min %.0f ms, max "
                "%.0f ms\n",
                polled.size(), percentile(polled, 0.5), percentile(polled, 0),
                percentile(polled, 1));
    return 0;
}

int download(int lines)
{
    TemporaryCurrentDir dir;
    SimulatorProcess sim(QStringLiteral(TRANSMITTER_SIM));
    if (!sim.start(
            {QStringLiteral("--calibrated"), QStringLiteral("--baud"), QStringLiteral("9600")})) {
        std::fprintf(stderr, "the simulator did not start\n");
        return 1;
    }
    QByteArray file;
    for (int i = 0; i < lines; ++i)
        file += i % 2 ? "RL" + QByteArray::number(700 + i % 50) + "\r\n"
                      : "RH" + QByteArray::number(900 + i % 50) + "\r\n";
    const QString path = writeParameterFile(file);
    RealPortWindow program(sim.link());
    runFor(2500);
    std::vector<double> seconds;
    for (int round = 0; round < 5; ++round) {
        program.dialogs.fileAnswers << path;
        const auto start = Clock::now();
        program.window->menuOpenParameterFile->trigger();
        seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        runFor(500);
    }
    std::printf("parameter download of %d lines at 9600 baud, 5 times: median %.3f s, min %.3f "
                "s, max %.3f s (%.1f ms a line)\n",
                lines, percentile(seconds, 0.5), percentile(seconds, 0), percentile(seconds, 1),
                1000 * percentile(seconds, 0.5) / lines);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("all");
    const int amount = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 0;
    int status = 0;
    if (mode == u"cpu" || mode == u"all")
        status |= processorUse(amount > 0 ? amount : 60);
    if (mode == u"latency" || mode == u"all")
        status |= latency(amount > 0 ? amount : 2000);
    if (mode == u"period" || mode == u"all")
        status |= period(amount > 0 ? amount : 10);
    if (mode == u"download" || mode == u"all")
        status |= download(amount > 0 ? amount : 100);
    if (mode == u"reconnect" || mode == u"all")
        status |= reconnect(amount > 0 ? amount : 30);
    return status;
}
