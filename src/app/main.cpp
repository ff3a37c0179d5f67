#include "platform/qt_platform.h"
#include "platform/qt_printer.h"
#include "platform/qt_serial_port.h"
#include "shell/main_window.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kestrin"));
    // No display name: the desktop would append it to every window title,
    // and each box must show exactly the title it is given.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kestrin.svg")));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("kestrin"));

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
