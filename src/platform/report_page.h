#pragma once

#include <QList>

class QPrinter;
struct CalibrationReport;

// Draws the calibration report on one page of `printer`: the certificate's
// facts, the results table, a plot per point, the transmitter's history and
// the lines to sign. A page that would run over is drawn smaller to fit.
// False when the page could not be drawn.
bool paintReport(QPrinter &printer, const CalibrationReport &report);

// Round values for an axis's ticks, a step of 1, 2 or 5 times a power of ten
// apart, from the step at or below `low` to the one at or above `high`:
// about `most` of them, one or two more where the ends fall between steps.
QList<double> axisTicks(double low, double high, int most);
