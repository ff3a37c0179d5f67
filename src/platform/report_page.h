#pragma once

class QPrinter;
struct CalibrationReport;

// Draws the calibration report on one page of `printer`: the facts of the
// transmitter, then for each calibration its figures, the readings against
// the applied gas and a plot of the run. False when the page could not be
// drawn.
bool paintReport(QPrinter &printer, const CalibrationReport &report);
