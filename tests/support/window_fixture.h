#pragma once

#include "session_fixture.h"
#include "shell/main_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

// The status line as "text|colour", its colour taken from the label.
inline QString statusLine(const MainWindow &w)
{
    const QColor c = w.Status->palette().color(QPalette::WindowText);
    return w.Status->text() + u'|'
        + colourName(StatusColour(c.red() | (c.green() << 8) | (c.blue() << 16)));
}

// A fake platform, a fresh current directory and a window started on them.
struct WindowFixture {
    TemporaryCurrentDir dir;
    FakePlatform fake;
    std::unique_ptr<MainWindow> window;

    void start() { window = std::make_unique<MainWindow>(fake.platform()); }
    MainWindow &w() { return *window; }
};

// A window started with COM1 open (from its settings file) and a scripted
// transmitter on the line; what start-up wrote is forgotten.
struct LinkedWindowFixture : LineFixture {
    std::unique_ptr<MainWindow> window;

    void startLinked()
    {
        writeFile(QStringLiteral("kestrin.ini"), "COM1:9600,N,8,1");
        window = std::make_unique<MainWindow>(fake.platform());
        forget();
    }
    MainWindow &w() { return *window; }
};

// No run under way, and the buttons as they are between runs.
inline bool isIdle(const MainWindow &w)
{
    return !w.session().ZeroCalibrationRunning && !w.session().SpanCalibrationRunning
        && w.ZeroButton->isEnabled() && w.SpanButton->isEnabled() && !w.CancelButton->isEnabled();
}

// Types what follows "S=", "T=" or "P=" into the span-gas, temperature or
// pressure entry; false, and nothing typed, for any other step.
inline bool enterText(MainWindow &w, const QString &step)
{
    QLineEdit *edit = step.startsWith(u"S=") ? w.SpanGasConcentration
        : step.startsWith(u"T=")             ? w.TemperatureText
        : step.startsWith(u"P=")             ? w.PressureText
                                             : nullptr;
    if (edit)
        edit->setText(step.mid(2));
    return edit;
}
