#pragma once

#include "fake_platform.h"
#include "link/command_set.h"
#include "platform/boxes.h"
#include "platform/timer.h"
#include "scripted_transmitter.h"
#include "session/transmitter_session.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Runs a test in a fresh, empty current directory (where the settings file,
// the preferences and the record live) and restores the old one afterwards.
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

inline QString colourName(StatusColour colour)
{
    return colour == StatusColour::Black ? QStringLiteral("black")
        : colour == StatusColour::Red    ? QStringLiteral("red")
        : colour == StatusColour::Blue   ? QStringLiteral("blue")
                                         : QString::number(int(colour));
}

// The message boxes as "text|buttons|icon|title", the way a failing
// comparison is read.
inline QStringList boxes(const FakeDialogs &dialogs)
{
    QStringList out;
    for (const ShownBox &box : dialogs.shown)
        if (box.kind == ShownBox::Message)
            out << QStringList {QString(box.text).replace(u'\r', QStringLiteral("<CR>")),
                                box.buttons == MessageButtons::Ok ? "OK"
                                    : box.buttons == MessageButtons::OkCancel
                                    ? "OK+Cancel"
                                    : "OK+Cancel(default)",
                                box.icon == MessageIcon::Question       ? "question"
                                    : box.icon == MessageIcon::Critical ? "stop"
                                                                        : "no icon",
                                box.title == applicationTitle ? "app title" : box.title}
                       .join(u'|');
    return out;
}

// A fresh current directory, the fake platform, and a scripted transmitter on
// its port; what a session or a window on it did is kept until forgotten.
struct LineFixture {
    TemporaryCurrentDir dir;
    FakePlatform fake;
    ScriptedTransmitter transmitter {fake.port, fake.clock};

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
    // The next reading polls: the poll runs 2000 ms after the end of the
    // previous exchange, which is where the clock stands.
    void poll(int count = 1)
    {
        for (int i = 0; i < count; ++i)
            fake.clock.advance(2000);
    }
    // One poll for each concentration; the signals alternate by `step` (Rx)
    // and twice that (Tx).
    void readings(const QList<double> &ppm, double rx = 20000, double tx = 30000, double step = 0)
    {
        for (qsizetype i = 0; i < ppm.size(); ++i) {
            transmitter.setReading(rx + step * (i % 2), tx + 2 * step * (i % 2), ppm[i], ppm[i]);
            poll();
        }
    }
    QStringList messages() const { return fake.dialogs.messageTexts(); }
    QString record() const
    {
        return QString::fromUtf8(readFile(fake.desktop.dataFolder() + "/calibrations.csv"));
    }
};

// A session on COM1 as the window starts it from its settings file, with the
// reading poll running; the gas and ambient are the window's at start-up:
// 2000 ppm at 25 °C and 1013 hPa.
struct SessionFixture : LineFixture {
    GasAndAmbient ambient {"2000", "2000", "25.0", "°C", "1013", "hPa"};
    TransmitterSession s {fake.platform()};
    QStringList seen; // "command|status text|colour|pointer" as each command arrived
    QStringList told; // what the views are told: each outcome and notice

    SessionFixture()
    {
        s.setAmbient([this] { return ambient; });
        transmitter.onCommand = [this](const QByteArray &command) {
            seen << QStringList {QString::fromLatin1(command), status(),
                                 fake.desktop.busy ? "busy" : "normal"}
                        .join(u'|');
        };
        QObject::connect(&s, &TransmitterSession::outcome, [this](const SessionOutcome &o) {
            told << QStringList {o.how, o.run, o.message}.join(u'|');
        });
        QObject::connect(&s, &TransmitterSession::notice, [this](const QString &t) { told << t; });
        s.openPort(1, Transmitter::EndOfText);
        s.setStatus(QStringLiteral("Com Port is Open"), StatusColour::Black);
        s.Timer1->start();
        forget();
    }
    void forget()
    {
        LineFixture::forget();
        seen.clear();
        told.clear();
    }
    // What the technician starts: a calibration, a check or an undo.
    void start(CalibrationKind kind)
    {
        using K = CalibrationKind;
        kind == K::Zero           ? s.startZeroCalibration()
            : kind == K::Span     ? s.startSpanCalibration()
            : kind == K::UndoZero ? s.undoZeroCalibration()
            : kind == K::UndoSpan ? s.undoSpanCalibration()
                                  : s.startCheck(kind);
    }
    // A run with one sample for each concentration.
    void run(CalibrationKind kind, const QList<double> &ppm, double rx = 20000, double tx = 30000,
             double step = 0)
    {
        s.NumberOfSamples = double(ppm.size());
        transmitter.setReading(rx, tx, ppm.value(0), ppm.value(0));
        start(kind);
        readings(ppm, rx, tx, step);
    }
    QString status() const { return s.status().text + u'|' + colourName(s.status().colour); }
    // What happened since the last forget, in a line a failing comparison
    // reads at once: the commands, each box's first line, the beeps, the
    // status line.
    QString outcome() const
    {
        QStringList boxes;
        for (const QString &text : messages())
            boxes << text.section(u'\r', 0, 0);
        return QStringLiteral("%1 | %2 | %3 beeps | %4")
            .arg(QString::fromLatin1(transmitter.commands.join(' ')), boxes.join(u'/'))
            .arg(fake.desktop.beeps)
            .arg(status());
    }
};
