#pragma once

#include "fake_platform.h"

#include <QFile>
#include <QTest>

// Compares bytes with a file in the test folder's golden/ (GOLDEN_DIR); the
// failure text shows both, one command or printed line a line.
// KESTRIN_UPDATE_GOLDEN=1 writes the file instead.
inline QString differenceFromGolden(const QByteArray &actual, const QString &name)
{
    QFile file(QStringLiteral(GOLDEN_DIR "/") + name);
    if (qEnvironmentVariableIsSet("KESTRIN_UPDATE_GOLDEN")) {
        const bool written = file.open(QIODevice::WriteOnly) && file.write(actual) == actual.size();
        return written ? QString() : QStringLiteral("cannot write ") + name;
    }
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read ") + name;
    const QByteArray expected = file.readAll();
    const auto shown = [](const QByteArray &bytes) {
        return visibleControls(QString::fromLatin1(bytes))
            .replace(QLatin1String("\\r"), QLatin1String("\\r\n"))
            .replace(QLatin1String("\\n"), QLatin1String("\\n\n"));
    };
    if (actual == expected)
        return {};
    return QStringLiteral("differs from %1\n--- expected\n%2\n--- actual\n%3")
        .arg(name, shown(expected), shown(actual));
}

#define COMPARE_GOLDEN(actual, name)                                                               \
    do {                                                                                           \
        const QString difference = differenceFromGolden(actual, name);                             \
        QVERIFY2(difference.isEmpty(), qPrintable(difference));                                    \
    } while (false)
