#include "platform/qt_platform.h"
#include "platform/qt_printer.h"
#include "platform/qt_serial_port.h"
#include "shell/main_window.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    setUpApplication();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kestrin.svg")));

    QtSerialPort port;
    QtDialogs dialogs;
    QtDesktop desktop;
    QtClock clock;
    QtPrinter printer(dialogs, clock);
    MainWindow window(Platform {port, dialogs, desktop, clock, printer});
    dialogs.setParentWidget(&window);
    window.show();
    return app.exec();
}
