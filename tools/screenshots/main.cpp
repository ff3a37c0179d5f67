// Takes the README's pictures: the program's own window on the simulated
// transmitter, in real time, used the way a technician uses it. The gas the
// simulated sensor sees is changed through the simulator's control pipe, and
// it reaches the sensor as it would through a test chamber: a flush that
// settles over some seconds. scripts/screenshots.sh starts the simulator and
// runs this under Xvfb.

#include "answering_dialogs.h"
#include "bench_pictures.h"
#include "control_pipe.h"
#include "platform/qt_platform.h"
#include "platform/qt_printer.h"
#include "platform/qt_serial_port.h"
#include "shell/main_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QPushButton>
#include <QTimer>

#include <cmath>
#include <functional>

namespace {

class Session {
public:
    Session(MainWindow &window, QString controlPipe, QDir out)
        : m_window(window), m_controlPipe(std::move(controlPipe)), m_out(std::move(out))
    {
    }

    // Runs `what` at `seconds` after the start.
    void at(double seconds, std::function<void()> what)
    {
        QTimer::singleShot(int(seconds * 1000), Qt::PreciseTimer, &m_window, std::move(what));
    }

    // The chamber's gas goes from `from` to `to` ppm, a second at a time,
    // settling over five times `tau` seconds.
    void flush(double startSeconds, double from, double to, double tau)
    {
        for (double t = 0; t <= 5 * tau; t += 1)
            at(startSeconds + t, [this, level = to + (from - to) * std::exp(-t / tau)] {
                control(QStringLiteral("gas %1").arg(std::round(level)));
            });
    }

    void control(const QString &line) { sendControl(m_controlPipe, line); }

    void grab(const QString &name)
    {
        const QString path = m_out.filePath(name);
        if (m_window.grab().save(path))
            qInfo().noquote() << "saved" << path;
        else
            qWarning().noquote() << "could not save" << path;
    }

private:
    MainWindow &m_window;
    QString m_controlPipe;
    QDir m_out;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Takes the README's pictures of the window on the simulated transmitter."));
    parser.addHelpOption();
    const QCommandLineOption control(QStringLiteral("control"),
                                     QStringLiteral("The simulator's control pipe."),
                                     QStringLiteral("file"));
    const QCommandLineOption out(QStringLiteral("out"),
                                 QStringLiteral("Where the pictures go (default: docs)."),
                                 QStringLiteral("folder"), QStringLiteral("docs"));
    const QCommandLineOption bench(
        QStringLiteral("bench"),
        QStringLiteral("A transmitter of the bench's picture, as LINK:CONTROLPIPE (repeated)."),
        QStringLiteral("transmitter"));
    parser.addOptions({control, out, bench});
    parser.process(app);
    if (parser.isSet(bench))
        return takeBenchPictures(parser.values(bench), QDir(parser.value(out)));

    QtSerialPort port;
    AnsweringDialogs dialogs;
    QtDesktop desktop;
    QtClock clock;
    QtPrinter printer(dialogs, clock);
    MainWindow window(Platform {port, dialogs, desktop, clock, printer});
    window.resize(960, 760);
    window.move(0, 0);
    window.show();

    Session session(window, parser.value(control), QDir(parser.value(out)));
    // The room, then the relay levels read from the transmitter and stored
    // again unchanged, then a span gas that settles.
    session.control(QStringLiteral("gas 450"));
    // The last two minutes: all of the short session fills the trend.
    window.findChild<QAbstractButton *>(QStringLiteral("trendSpan2"))->click();
    session.at(4, [&] { window.menuRelayTriggerPoint->trigger(); });
    session.flush(24, 450, 1000, 6);
    session.at(110, [&] { session.grab(QStringLiteral("window-live.png")); });
    // Zero gas, and a zero calibration once it has settled.
    session.flush(112, 1000, 0, 5);
    session.at(140, [&] {
        window.ZeroButton->click();
        // Where the technician's click leaves the focus.
        window.CancelButton->setFocus();
    });
    session.at(171, [&] { session.grab(QStringLiteral("zero-run.png")); });
    session.at(172, [&] {
        auto *monitor = window.findChild<QDockWidget *>(QStringLiteral("lineMonitor"));
        window.resize(960, 960);
        monitor->show();
        window.resizeDocks({monitor}, {230}, Qt::Vertical);
    });
    session.at(175, [&] { session.grab(QStringLiteral("line-monitor.png")); });
    session.at(176, [&] {
        window.CancelButton->click();
        window.close();
    });
    return app.exec();
}
