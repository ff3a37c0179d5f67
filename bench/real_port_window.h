#pragma once

#include "fake_platform.h"
#include "platform/qt_platform.h"
#include "platform/qt_serial_port.h"
#include "shell/main_window.h"
#include "window_fixture.h"

#include <memory>

// A window built like the program's, with the real serial port, timers and
// event loop, and the boxes, beeps and printer faked so a benchmark can see
// them. COM1 is `device` (a pseudo-terminal or the simulator's link) and the
// window starts with it open. Construct it inside a TemporaryCurrentDir.
// `Port` may be a QtSerialPort that also records what the window does to it.
template<typename Port = QtSerialPort>
struct RealPortWindow {
    explicit RealPortWindow(const QString &device)
    {
        qputenv("KESTRIN_COM1", device.toLocal8Bit());
        writeFile(QStringLiteral("kestrin.ini"), "COM1:9600,N,8,1");
        window = std::make_unique<MainWindow>(Platform {port, dialogs, desktop, clock, printer});
    }
    ~RealPortWindow() { qunsetenv("KESTRIN_COM1"); }
    RealPortWindow(const RealPortWindow &) = delete;
    RealPortWindow &operator=(const RealPortWindow &) = delete;

    MainWindow &w() { return *window; }

    Port port;
    FakeDialogs dialogs;
    FakeDesktop desktop;
    QtClock clock;
    FakePrinter printer;
    std::unique_ptr<MainWindow> window;
};
