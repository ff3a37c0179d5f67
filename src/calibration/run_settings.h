#pragma once

#include "calibration/preferences.h"
#include "platform/boxes.h"

#include <optional>

// The settings of a run that the technician types under Special, asked alike
// by the window and by a bench.

// The number of samples typed in, or none when the box was cancelled or
// emptied (the number stays as it was).
std::optional<double> askNumberOfSamples(Dialogs &dialogs, double current);

// Asks the accuracy tolerance and keeps it; a text that is not two numbers is
// reported and changes nothing.
void askTolerance(Dialogs &dialogs, Boxes &boxes, Preferences preferences);

// Asks the limit of a plausible correction and keeps it, likewise.
void askCorrectionLimit(Dialogs &dialogs, Boxes &boxes, Preferences preferences);
