#pragma once

#include "golden.h"
#include "window_fixture.h"

#include <QAction>
#include <QLineEdit>
#include <QTest>

// A linked window whose test sees what the window showed when each command
// arrived.
struct CalibrationFixture : LinkedWindowFixture {
    // "command|status text|colour|pointer" at the moment each command arrived.
    QStringList seen;

    CalibrationFixture()
    {
        transmitter.onCommand = [this](const QByteArray &command) {
            if (!window)
                return;
            const int colour = statusColour(w().Status);
            seen << QStringLiteral("%1|%2|%3|%4")
                        .arg(QString::fromLatin1(command), w().Status->text(),
                             colour == 0              ? QStringLiteral("black")
                                 : colour == 255      ? QStringLiteral("red")
                                 : colour == 16711680 ? QStringLiteral("blue")
                                                      : QString::number(colour),
                             fake.desktop.busy ? u"busy" : u"normal");
        };
        startLinked();
    }

    void forget()
    {
        LinkedWindowFixture::forget();
        seen.clear();
    }

    // A completed one-sample zero run on these signals, then forgotten.
    void zeroCalibrate(double rx = 20000, double tx = 30000)
    {
        w().session().NumberOfSamples = 1;
        transmitter.setReading(rx, tx, 0, 0);
        w().ZeroButton->click();
        poll();
        forget();
    }

    void enter(const QStringList &entries)
    {
        for (const QString &entry : entries)
            enterText(w(), entry);
    }
};

// One box as "text|buttons|icon|title", the way a failing comparison is read.
inline QStringList boxes(const FakeDialogs &dialogs)
{
    QStringList out;
    for (const ShownBox &box : dialogs.shown) {
        if (box.kind != ShownBox::Message)
            continue;
        out << QStringLiteral("%1|%2|%3|%4")
                   .arg(QString(box.text).replace(u'\r', QStringLiteral("<CR>")),
                        box.buttons == MessageButtons::Ok             ? u"OK"
                            : box.buttons == MessageButtons::OkCancel ? u"OK+Cancel"
                                                                      : u"OK+Cancel(default)",
                        box.icon == MessageIcon::Question       ? u"question"
                            : box.icon == MessageIcon::Critical ? u"stop"
                                                                : u"no icon",
                        box.title == MainWindow::applicationTitle ? QStringLiteral("app title")
                                                                  : box.title);
    }
    return out;
}
