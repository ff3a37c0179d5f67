#pragma once

#include "window_fixture.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>

// A window on a scripted transmitter that knows the calibration queries and
// acknowledges every value written to it, as the real one does. The test can
// silence any command, and sees what the window showed when each command
// arrived.
struct CalibrationFixture : LinkedWindowFixture {
    QSet<QByteArray> unanswered;
    // "command|status text|colour|pointer" at the moment each command arrived.
    QStringList seen;

    CalibrationFixture()
    {
        transmitter.answer("T0", "T0 = 30000");
        transmitter.answer("R0", "R0 = 20000");
        // The span's value stands one place after its label.
        transmitter.answer("SPAN", "Span =  2000");
        transmitter.answer("TS", "TSpan = 25500");
        transmitter.answer("RS", "RSpan = 20100");
        transmitter.onCommand = [this](const QByteArray &command) {
            if (window)
                seen << QStringLiteral("%1|%2|%3|%4")
                            .arg(QString::fromLatin1(command), w().Status->text(),
                                 colourName(statusColour(w().Status)),
                                 fake.desktop.busy ? u"busy" : u"normal");
            if (unanswered.contains(command))
                transmitter.queueSilence(command);
            else if (isValueWrite(command))
                transmitter.queue(command, {{ScriptedTransmitter::frame(command)}});
        };
        startLinked();
    }

    static bool isValueWrite(const QByteArray &command)
    {
        return command.size() > 2
            && (command.startsWith("T0") || command.startsWith("R0") || command.startsWith("TS")
                || command.startsWith("RS"));
    }

    static QString colourName(int colour)
    {
        return colour == 0       ? QStringLiteral("black")
            : colour == 255      ? QStringLiteral("red")
            : colour == 16711680 ? QStringLiteral("blue")
                                 : QString::number(colour);
    }

    // Forgets what has been written, shown, beeped and seen so far.
    void forget()
    {
        fake.port.written.clear();
        transmitter.commands.clear();
        fake.dialogs.shown.clear();
        fake.desktop.beeps = 0;
        fake.desktop.pointerChanges.clear();
        seen.clear();
    }

    // A completed one-sample zero run on these signals, then forgotten.
    void zeroCalibrate(double rx = 20000, double tx = 30000)
    {
        w().NumberOfSamples = 1;
        transmitter.setReading(rx, tx, 0, 0);
        w().ZeroButton->click();
        poll();
        forget();
    }

    // Types into the entries: "S=" span gas, "T=" temperature, "P=" pressure.
    void enter(const QStringList &entries)
    {
        for (const QString &entry : entries) {
            QLineEdit *edit = entry.startsWith(u"S=") ? w().SpanGasConcentration
                : entry.startsWith(u"T=")             ? w().TemperatureText
                                                      : w().PressureText;
            edit->setText(entry.mid(2));
        }
    }

    bool idle()
    {
        return !w().ZeroCalibrationRunning && !w().SpanCalibrationRunning
            && w().ZeroButton->isEnabled() && w().SpanButton->isEnabled()
            && !w().CancelButton->isEnabled();
    }
};

// One box as "text|buttons|icon|title", the way a failing comparison is read.
inline QStringList boxes(const FakeDialogs &dialogs)
{
    QStringList out;
    for (const ShownBox &box : dialogs.shown) {
        if (box.kind != ShownBox::Message)
            continue;
        const bool title = box.title == MainWindow::applicationTitle;
        out << QStringLiteral("%1|%2|%3|%4")
                   .arg(QString(box.text).replace(u'\r', QStringLiteral("<CR>")),
                        box.buttons == MessageButtons::Ok ? u"OK" : u"OK+Cancel",
                        box.icon == MessageIcon::Question       ? u"question"
                            : box.icon == MessageIcon::Critical ? u"stop"
                                                                : u"no icon",
                        title ? QStringLiteral("app title") : box.title);
    }
    return out;
}

// The bytes on the wire against a golden file, one command a line in the
// failure text. KESTRIN_UPDATE_GOLDEN=1 writes the file instead.
inline QString differenceFromGolden(const QByteArray &actual, const QString &name)
{
    const QString path = QStringLiteral(GOLDEN_DIR "/") + name;
    if (qEnvironmentVariableIsSet("KESTRIN_UPDATE_GOLDEN")) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QStringLiteral("cannot write ") + path;
        file.write(actual);
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read ") + path;
    const QByteArray expected = file.readAll();
    if (actual == expected)
        return {};
    const auto lines
        = [](QByteArray bytes) { return QString::fromLatin1(bytes.replace("\r", "\\r\n")); };
    return QStringLiteral("wire differs from %1\n--- expected\n%2--- actual\n%3")
        .arg(name, lines(expected), lines(actual));
}
