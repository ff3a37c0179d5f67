#pragma once

#include "fake_platform.h"
#include "platform/qt_platform.h"
#include "platform/qt_serial_port.h"
#include "pluggable_transmitter.h"
#include "shell/main_window.h"
#include "window_fixture.h"

#include <QAction>
#include <QPushButton>
#include <QTest>

#include <memory>

// The real serial port, counting every write the window attempts, so a test
// can tell that nothing more was even tried after the device went away.
class WriteCountingPort : public QtSerialPort {
public:
    bool write(const QByteArray &data) override
    {
        attempts << data;
        return QtSerialPort::write(data);
    }
    QList<QByteArray> attempts;
};

// A window built like the program's, on the real serial port, timers and
// event loop, with COM1 open on a pluggable transmitter; the boxes, beeps,
// pointer and printer are faked so the test sees them.
struct LineFixture {
    TemporaryCurrentDir dir;
    PluggableTransmitter transmitter {dir.path() + QStringLiteral("/ttyKESTRIN")};
    WriteCountingPort port;
    FakeDialogs dialogs;
    FakeDesktop desktop;
    QtClock clock;
    FakePrinter printer;
    std::unique_ptr<MainWindow> window;
    // The writes attempted until the port reported the device lost; -1 while
    // it has not.
    qsizetype writesWhenLost = -1;

    LineFixture()
    {
        qputenv("KESTRIN_COM1", transmitter.devicePath().toLocal8Bit());
        writeFile(QStringLiteral("kestrin.ini"), "COM1:9600,N,8,1");
        QObject::connect(&port, &SerialPort::lost,
                         [this] { writesWhenLost = port.attempts.size(); });
        window = std::make_unique<MainWindow>(Platform {port, dialogs, desktop, clock, printer});
    }
    ~LineFixture() { qunsetenv("KESTRIN_COM1"); }
    LineFixture(const LineFixture &) = delete;
    LineFixture &operator=(const LineFixture &) = delete;

    MainWindow &w() { return *window; }

    bool isIdle()
    {
        return !w().ZeroCalibrationRunning && !w().SpanCalibrationRunning
            && w().ZeroButton->isEnabled() && w().SpanButton->isEnabled()
            && !w().CancelButton->isEnabled() && !desktop.busy;
    }
};
