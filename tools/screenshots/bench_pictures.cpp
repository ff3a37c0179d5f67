#include "bench_pictures.h"

#include "answering_dialogs.h"
#include "bench/bench_window.h"
#include "control_pipe.h"
#include "platform/qt_platform.h"
#include "platform/qt_printer.h"
#include "platform/qt_serial_port.h"

#include <QApplication>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

int takeBenchPictures(const QStringList &transmitters, const QDir &out)
{
    AnsweringDialogs dialogs;
    QtDesktop desktop;
    QtClock clock;
    QtPrinter printer(dialogs, clock);
    auto bench = std::make_unique<Bench>(dialogs, desktop, clock, printer);
    QStringList pipes;
    for (const QString &transmitter : transmitters) {
        const QString link = transmitter.section(u':', 0, 0);
        pipes << transmitter.section(u':', 1);
        bench->add(std::make_unique<QtSerialPort>(link), link,
                   QStringLiteral("USB serial adapter, FT%1").arg(4711 + pipes.size()));
        sendControl(pipes.last(), QStringLiteral("gas 0"));
    }
    // The last transmitter's tube was never connected: it reads room air.
    sendControl(pipes.last(), QStringLiteral("gas 450"));
    auto owned = std::make_unique<BenchWindow>(std::move(bench), dialogs, desktop);
    BenchWindow *window = owned.get();
    window->resize(1100, 330);
    window->move(0, 0);
    window->show();
    window->bench().NumberOfSamples = 10;
    // The technician has typed in what the labels say.
    for (int i = 0; i < window->transmitters->rowCount(); ++i)
        window->transmitters->item(i, BenchWindow::TypeAndSerial)
            ->setText(QStringLiteral("K-33 ICB / 07123%1").arg(41 + i));
    const auto at = [window](double seconds, std::function<void()> what) {
        QTimer::singleShot(int(seconds * 1000), Qt::PreciseTimer, window, std::move(what));
    };
    at(20, [window] { window->ZeroButton->click(); });
    at(48, [window, out] {
        const QString path = out.filePath(QStringLiteral("bench.png"));
        qInfo().noquote() << (window->grab().save(path) ? "saved" : "could not save") << path;
        window->bench().close();
        QApplication::quit();
    });
    return QApplication::exec();
}
