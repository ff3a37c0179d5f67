#pragma once

#include <QString>

#include <optional>

// Line settings of the serial service, written "baud,parity,data bits,stop bits"
// (for example 9600,n,8,1).
struct SerialSettings {
    int baud = 9600;
    char parity = 'n'; // n, e, o, m or s, as written
    int dataBits = 8;
    QString stopBits = QStringLiteral("1"); // "1", "1.5" or "2"

    QString text() const;
    bool operator==(const SerialSettings &) const = default;
};

// Accepts only a well-formed text: a standard baud rate, parity N, E, O, M or S
// in either case, 5 to 8 data bits, stop bits 1, 1.5 or 2, and nothing else (no
// blanks, no line end). The parity keeps the case it was written in.
std::optional<SerialSettings> parseSerialSettings(const QString &text);
