#pragma once

#include "window_fixture.h"

#include <QFile>
#include <QTest>

// A linked window whose transmitter acknowledges every command unless the
// test has scripted it otherwise, so that a test names only what matters.
struct ConfigFixture : LinkedWindowFixture {
    ConfigFixture()
    {
        transmitter.onCommand = [this](const QByteArray &command) {
            if (!scripted.contains(command))
                transmitter.queue(command, {{ScriptedTransmitter::frame(command)}});
        };
        startLinked();
    }

    // The reply to one command from now on; an empty reply is silence.
    void script(const QByteArray &command, const QByteArray &reply)
    {
        scripted << command;
        if (reply.isEmpty())
            transmitter.silence(command);
        else
            transmitter.answerRaw(command, {{reply}});
    }

    // One reading taken by the poll, then everything so far forgotten.
    void takeReading(double rx, double tx)
    {
        transmitter.setReading(rx, tx, 400, 400);
        poll();
        fake.port.written.clear();
        transmitter.commands.clear();
    }

    QStringList messages() const { return fake.dialogs.messageTexts(); }

    // The poll keeps its reading.
    QList<QByteArray> scripted {"X"};
};

// Compares with a golden file under tests/config/golden; the failure text
// shows both. KESTRIN_UPDATE_GOLDEN=1 writes the file instead.
inline QString differenceFromGolden(const QByteArray &actual, const QString &name)
{
    const QString path = QStringLiteral(GOLDEN_DIR "/") + name;
    QFile file(path);
    if (qEnvironmentVariableIsSet("KESTRIN_UPDATE_GOLDEN")) {
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QStringLiteral("cannot write ") + path;
        file.write(actual);
        return {};
    }
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read ") + path;
    const QByteArray expected = file.readAll();
    if (actual == expected)
        return {};
    const auto shown = [](const QByteArray &bytes) {
        QString text = visibleControls(QString::fromLatin1(bytes));
        // One command or one printed line a line.
        text.replace(QLatin1String("\\r"), QLatin1String("\\r\n"));
        return text.replace(QLatin1String("\\n"), QLatin1String("\\n\n"));
    };
    return QStringLiteral("differs from %1\n--- expected\n%2\n--- actual\n%3")
        .arg(name, shown(expected), shown(actual));
}

#define COMPARE_GOLDEN(actual, name)                                                               \
    do {                                                                                           \
        const QString difference = differenceFromGolden(actual, name);                             \
        QVERIFY2(difference.isEmpty(), qPrintable(difference));                                    \
    } while (false)
