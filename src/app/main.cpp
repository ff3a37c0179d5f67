#include "bench/bench_window.h"
#include "link/port_texts.h"
#include "platform/qt_platform.h"
#include "platform/qt_printer.h"
#include "platform/qt_serial_port.h"
#include "shell/main_window.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    setUpApplication();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kestrin.svg")));

    QtDialogs dialogs;
    QtDesktop desktop;
    QtClock clock;
    QtPrinter printer(dialogs, clock);

    // "kestrin --bench DEVICE..." opens a bench of transmitters, one on each
    // device, instead of the single window.
    const QStringList arguments = QApplication::arguments().mid(1);
    if (!arguments.isEmpty()) {
        if (arguments.first() != u"--bench" || arguments.size() < 2) {
            std::fputs("usage: kestrin [--bench DEVICE...]\n", stderr);
            return 2;
        }
        auto bench = std::make_unique<Bench>(dialogs, desktop, clock, printer);
        const QtSerialPort lister;
        const QList<PortDescription> system = lister.systemPorts();
        for (const QString &device : arguments.mid(1)) {
            QString adapter;
            for (const PortDescription &port : system)
                if (port.device == device)
                    adapter = adapterText(port);
            bench->add(std::make_unique<QtSerialPort>(device), device, adapter);
        }
        BenchWindow window(std::move(bench), dialogs, desktop);
        dialogs.setParentWidget(&window);
        window.show();
        return app.exec();
    }

    QtSerialPort port;
    MainWindow window(Platform {port, dialogs, desktop, clock, printer});
    dialogs.setParentWidget(&window);
    window.show();
    return app.exec();
}
