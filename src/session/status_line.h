#pragma once

#include <QString>

// The three text colours of the status line. The values are the 24-bit colour
// numbers with red in the low byte that the tool has always used.
enum class StatusColour : int {
    Black = 0, // a good state
    Red = 255, // a fault or a closed port
    Blue = 16711680, // work in progress
};

// What the status line says, and in which colour.
struct StatusLine {
    QString text = QStringLiteral("Status Info");
    StatusColour colour = StatusColour::Black;
};
