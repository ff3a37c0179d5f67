#pragma once

#include "session/status_line.h"

#include <QColor>

inline QColor toQColor(StatusColour colour)
{
    const int value = int(colour);
    return QColor(value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff);
}
