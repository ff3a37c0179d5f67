// Start-up time as the technician sees it: from starting a process to its
// window mapped and exposed on the screen. Each round starts the program's
// window (built as the program's main builds it, in an empty folder, so no
// port is opened) and a bare QMainWindow of the same size in a program that
// links Qt Widgets alone (startup_bare), one after the other, so that both
// meet the same machine; a first round warms the disk cache and is not
// counted. Prints every round with the moments of the program's start, then
// the median and range of each and their ratio. Asserts nothing.
//
//   startup_bench [rounds]     default 15; uses the platform Qt picks
//                              (run it under X, or xvfb-run, for real figures)

#include "platform/qt_platform.h"
#include "platform/qt_printer.h"
#include "platform/qt_serial_port.h"
#include "shell/main_window.h"
#include "startup_watch.h"

#include <QApplication>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

namespace {

int runProgram(int argc, char *argv[], long long spawned)
{
    StartupWatch watch(spawned);
    QApplication app(argc, argv);
    setUpApplication();
    watch.mark("app");
    QtSerialPort port;
    QtDialogs dialogs;
    QtDesktop desktop;
    QtClock clock;
    QtPrinter printer(dialogs, clock);
    MainWindow window(Platform {port, dialogs, desktop, clock, printer});
    dialogs.setParentWidget(&window);
    watch.mark("built");
    watch.watch(window);
    window.show();
    return app.exec();
}

// One start: the moments its child printed, in milliseconds after the start.
struct Start {
    QSize size;
    QMap<QString, double> moments;
    bool shown() const { return moments.contains(QStringLiteral("exposed")); }
};

Start startChild(const QString &program, QStringList arguments, const QString &folder)
{
    QProcess child;
    child.setWorkingDirectory(folder);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    arguments << QString::number(StartupWatch::now());
    child.start(program, arguments);
    QByteArray output;
    while (!output.contains('\n') && child.waitForReadyRead(10000))
        output += child.readAllStandardOutput();
    child.waitForFinished(10000);
    Start start;
    const QList<QByteArray> words = output.trimmed().split(' ');
    if (words.size() < 3 || words[0] != "exposed")
        return start;
    start.size = QSize(words[1].toInt(), words[2].toInt());
    for (const QByteArray &word : words.mid(3)) {
        const QList<QByteArray> moment = word.split('=');
        start.moments.insert(QString::fromLatin1(moment.value(0)), moment.value(1).toDouble());
    }
    return start;
}

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    const std::size_t n = times.size();
    return n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
}

void printSummary(const char *name, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    std::printf("%-22s median %6.1f ms   range %6.1f - %6.1f ms   (%zu starts)\n", name,
                median(times), times.front(), times.back(), times.size());
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 3 && std::string_view(argv[1]) == "--program")
        return runProgram(argc, argv, std::atoll(argv[2]));

    QCoreApplication app(argc, argv);
    const int rounds = std::max(1, app.arguments().value(1, QStringLiteral("15")).toInt());
    QTemporaryDir folder;
    std::printf("platform %s, display %s; moments in ms after the process was started\n",
                qPrintable(qEnvironmentVariable("QT_QPA_PLATFORM")),
                qPrintable(qEnvironmentVariable("DISPLAY")));

    const QStringList phases {QStringLiteral("main"), QStringLiteral("app"),
                              QStringLiteral("built"), QStringLiteral("exposed")};
    QMap<QString, std::vector<double>> program;
    QMap<QString, std::vector<double>> bare;
    for (int round = 0; round <= rounds; ++round) {
        const Start own = startChild(QCoreApplication::applicationFilePath(),
                                     {QStringLiteral("--program")}, folder.path());
        const Start plain = startChild(
            QStringLiteral(STARTUP_BARE),
            {QString::number(own.size.width()), QString::number(own.size.height())}, folder.path());
        if (!own.shown() || !plain.shown()) {
            std::printf("round %d: a window did not show within 10 s\n", round);
            return 1;
        }
        std::printf("round %2d%-10s program", round, round == 0 ? " (warm-up)" : "");
        for (const QString &phase : phases)
            std::printf(" %s %6.1f", qPrintable(phase), own.moments.value(phase));
        std::printf("  (%dx%d)   bare exposed %6.1f\n", own.size.width(), own.size.height(),
                    plain.moments.value(QStringLiteral("exposed")));
        std::fflush(stdout);
        if (round == 0)
            continue;
        for (const QString &phase : phases) {
            program[phase].push_back(own.moments.value(phase));
            bare[phase].push_back(plain.moments.value(phase));
        }
    }
    for (const QString &phase : phases) {
        std::printf("%s:\n", qPrintable(phase));
        printSummary("  program window", program[phase]);
        printSummary("  bare QMainWindow", bare[phase]);
    }
    std::printf("start to window exposed, ratio of medians %.2f\n",
                median(program[QStringLiteral("exposed")])
                    / median(bare[QStringLiteral("exposed")]));
    return 0;
}
