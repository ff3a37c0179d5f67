#pragma once

#include "fake_platform.h"
#include "scripted_transmitter.h"
#include "shell/main_window.h"
#include "shell/status_colour.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Runs a test in a fresh, empty current directory (where the settings file
// lives) and restores the old one afterwards.
class TemporaryCurrentDir {
public:
    TemporaryCurrentDir() : m_previous(QDir::currentPath()) { QDir::setCurrent(m_dir.path()); }
    ~TemporaryCurrentDir() { QDir::setCurrent(m_previous); }
    QString path() const { return m_dir.path(); }

private:
    QString m_previous;
    QTemporaryDir m_dir;
};

inline void writeFile(const QString &name, const QByteArray &content)
{
    QFile file(name);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(content);
}

inline QByteArray readFile(const QString &name)
{
    QFile file(name);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// A parameter file in the current directory, by its absolute path: the
// form the file dialog hands over.
inline QString writeParameterFile(const QByteArray &content,
                                  const QString &name = QStringLiteral("p.par"))
{
    const QString path = QDir::current().absoluteFilePath(name);
    writeFile(path, content);
    return path;
}

// The status line's colour as the 24-bit value with red in the low byte.
inline int statusColour(const QLabel *status)
{
    const QColor c = status->palette().color(QPalette::WindowText);
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

// A fake platform, a fresh current directory and a window started on them.
// `prepare` runs before the window starts (write a settings file, hold a port).
struct WindowFixture {
    TemporaryCurrentDir dir;
    FakePlatform fake;
    std::unique_ptr<MainWindow> window;

    void start() { window = std::make_unique<MainWindow>(fake.platform()); }
    MainWindow &w() { return *window; }
};

// A window started with COM1 open (from its settings file) and a scripted
// transmitter on the line; what start-up wrote is forgotten.
struct LinkedWindowFixture : WindowFixture {
    ScriptedTransmitter transmitter {fake.port, fake.clock};

    void startLinked()
    {
        writeFile(QStringLiteral("kestrin.ini"), "COM1:9600,N,8,1");
        start();
        forget();
    }
    // Forgets what has been written, sent, shown and beeped so far.
    void forget()
    {
        fake.port.written.clear();
        fake.port.writes.clear();
        transmitter.commands.clear();
        fake.dialogs.shown.clear();
        fake.desktop.beeps = 0;
        fake.desktop.pointerChanges.clear();
    }
    // The reply to one command from now on; an empty reply is silence.
    void script(const QByteArray &command, const QByteArray &reply)
    {
        if (reply.isEmpty())
            transmitter.silence(command);
        else
            transmitter.answerRaw(command, {{reply}});
    }
    // The next reading poll: the polling timer runs 2000 ms after the end of
    // the previous exchange, which is where the clock stands.
    void poll() { fake.clock.advance(2000); }
    void polls(int count)
    {
        for (int i = 0; i < count; ++i)
            poll();
    }
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
