// Figures of a long session on the fake clock: the window polls a scripted
// transmitter for many hours in a few seconds, with the trend on its longest
// span and the line monitor open, and prints after every simulated hour how
// many readings the trend and entries the line monitor hold, the process's
// resident memory, and the real time one poll took. Asserts nothing.
//
//   soak_bench [hours]            a transmitter that answers every poll
//   soak_bench noisy [hours]      every reply behind 4000 bytes of line noise:
//                                 the line monitor's worst case

#include "shell/line_monitor.h"
#include "shell/trend_view.h"
#include "window_fixture.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>

#include <unistd.h>

namespace {

double residentMegabytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    const bool noisy = arguments.value(0) == QLatin1String("noisy");
    const int hours = arguments.value(noisy ? 1 : 0, QStringLiteral("24")).toInt();

    LinkedWindowFixture f;
    const QByteArray reading = ScriptedTransmitter::reading(20000, 30000, 410, 412);
    if (noisy) {
        std::mt19937 random(1);
        QByteArray noise(4000, '\0');
        for (char &byte : noise)
            byte = char(random() % 256);
        noise.replace('>', '?');
        f.transmitter.answerRaw("X", {{noise, reading}});
    } else {
        f.transmitter.answerRaw("X", {{reading}});
    }
    f.startLinked();
    f.w().show();
    auto *trend = f.w().findChild<TrendView *>(QStringLiteral("trendView"));
    auto *monitor = f.w().findChild<LineMonitor *>(QStringLiteral("lineMonitor"));
    trend->setSpanMinutes(60);
    monitor->show();

    std::printf("%s transmitter, %d hours on the fake clock\n", noisy ? "noisy" : "answering",
                hours);
    std::printf("%6s %8s %14s %16s %12s %14s\n", "hour", "polls", "trend points", "monitor entries",
                "RSS MiB", "ms per poll");
    std::printf("%6d %8d %14zu %16zu %12.1f %14s\n", 0, 0, trend->readings().size(),
                monitor->log().entries().size(), residentMegabytes(), "-");
    const int pollsPerHour = 3600 * 1000 / 2005;
    int polls = 0;
    for (int hour = 1; hour <= hours; ++hour) {
        const auto start = std::chrono::steady_clock::now();
        f.poll(pollsPerHour);
        polls += pollsPerHour;
        // The fakes record every byte and box for the tests; that record is
        // not the program's memory.
        f.forget();
        QCoreApplication::processEvents();
        const std::chrono::duration<double, std::milli> spent
            = std::chrono::steady_clock::now() - start;
        std::printf("%6d %8d %14zu %16zu %12.1f %14.3f\n", hour, polls, trend->readings().size(),
                    monitor->log().entries().size(), residentMegabytes(),
                    spent.count() / pollsPerHour);
        std::fflush(stdout);
    }
    return 0;
}
