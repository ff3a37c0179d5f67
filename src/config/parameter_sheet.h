#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// The printed parameter sheet, worked out before anything goes to a printer.

// The date and time offered for the sheet: "Date 2026-12-06 Time 14:05".
QString dateAndTimeText(const QDateTime &now);

// What the sheet says about the transmitter besides its listing.
struct SheetFacts {
    QString dateAndTime; // as the technician confirmed it
    QString typeAndSerial;
    QString version; // from "VER", or "?"
    std::optional<double> refX, co2X; // raw signals of the last valid reading
};

// Every line is printed in this size; the first one stands this far from the
// left and top of the printable area.
constexpr int sheetFontSize = 12;
constexpr int sheetMarginTwips = 1000;

struct SheetLine {
    QString fontName;
    int column = 1;
    QString text;
};

struct ParameterSheet {
    QList<SheetLine> lines;
    // False when the listing does not end with a line end (an empty listing
    // included): the text after its last line end is not on the sheet.
    bool listingComplete = true;
};

// Eleven heading lines, then the transmitter's listing one line each, cut at
// its line feeds; the carriage return that ends a listing line is not printed.
ParameterSheet parameterSheet(const SheetFacts &facts, const QByteArray &listing);
