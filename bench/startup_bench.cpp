// Start-up time as the technician sees it: from starting a process to its
// window mapped and exposed on the screen. Each round starts the program's
// window (built as the program's main builds it, in an empty folder, so no
// port is opened) and a bare QMainWindow of the same size, one after the
// other, so that both meet the same machine; a first round warms the disk
// cache and is not counted. Prints every round, then the median and range of
// each and their ratio. Asserts nothing.
//
//   startup_bench [rounds]     default 15; uses the platform Qt picks
//                              (run it under X, or xvfb-run, for real figures)

#include "platform/qt_platform.h"
#include "platform/qt_printer.h"
#include "platform/qt_serial_port.h"
#include "shell/main_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Ends the process the moment its window is first exposed, saying so with
// the window's size; nothing after that point is part of the start.
class ExposeWatch : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = static_cast<QWindow *>(watched);
        if (event->type() == QEvent::Expose && window->isExposed()) {
            std::printf("exposed %d %d\n", window->width(), window->height());
            std::fflush(stdout);
            std::_Exit(0);
        }
        return false;
    }
};

int runChild(int argc, char *argv[], bool program, const QSize &size)
{
    QApplication app(argc, argv);
    ExposeWatch watch;
    if (program) {
        setUpApplication();
        QtSerialPort port;
        QtDialogs dialogs;
        QtDesktop desktop;
        QtClock clock;
        QtPrinter printer(dialogs, clock);
        MainWindow window(Platform {port, dialogs, desktop, clock, printer});
        window.winId();
        window.windowHandle()->installEventFilter(&watch);
        window.show();
        return app.exec();
    }
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.resize(size);
    window.winId();
    window.windowHandle()->installEventFilter(&watch);
    window.show();
    return app.exec();
}

struct Start {
    double milliseconds = -1; // -1: the window never showed
    QSize size;
};

Start startChild(const QString &kind, const QSize &size, const QString &folder)
{
    QProcess child;
    child.setWorkingDirectory(folder);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--child"), kind, QString::number(size.width()),
                 QString::number(size.height())});
    Start start;
    QByteArray output;
    while (!output.contains('\n') && child.waitForReadyRead(10000))
        output += child.readAllStandardOutput();
    if (output.startsWith("exposed ")) {
        start.milliseconds = double(clock.nsecsElapsed()) / 1e6;
        const QList<QByteArray> words = output.trimmed().split(' ');
        start.size = QSize(words.value(1).toInt(), words.value(2).toInt());
    }
    child.waitForFinished(10000);
    return start;
}

void printSummary(const char *name, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    const std::size_t n = times.size();
    const double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
    std::printf("%-16s median %6.1f ms   range %6.1f - %6.1f ms   (%zu starts)\n", name, median,
                times.front(), times.back(), n);
}

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    const std::size_t n = times.size();
    return n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 5 && std::string_view(argv[1]) == "--child")
        return runChild(argc, argv, std::string_view(argv[2]) == "program",
                        QSize(std::atoi(argv[3]), std::atoi(argv[4])));

    QCoreApplication app(argc, argv);
    const int rounds = std::max(1, app.arguments().value(1, QStringLiteral("15")).toInt());
    QTemporaryDir folder;
    std::printf("platform %s, display %s\n", qEnvironmentVariable("QT_QPA_PLATFORM").toUtf8().constData(),
                qEnvironmentVariable("DISPLAY").toUtf8().constData());

    std::vector<double> program;
    std::vector<double> bare;
    for (int round = 0; round <= rounds; ++round) {
        const Start own = startChild(QStringLiteral("program"), {}, folder.path());
        const Start plain = startChild(QStringLiteral("bare"), own.size, folder.path());
        if (own.milliseconds < 0 || plain.milliseconds < 0) {
            std::printf("round %d: a window did not show within 10 s\n", round);
            return 1;
        }
        std::printf("round %2d%s  program %6.1f ms (%dx%d)   bare %6.1f ms\n", round,
                    round == 0 ? " (warm-up)" : "", own.milliseconds, own.size.width(),
                    own.size.height(), plain.milliseconds);
        std::fflush(stdout);
        if (round == 0)
            continue;
        program.push_back(own.milliseconds);
        bare.push_back(plain.milliseconds);
    }
    printSummary("program window", program);
    printSummary("bare QMainWindow", bare);
    std::printf("ratio of medians %.2f\n", median(program) / median(bare));
    return 0;
}
