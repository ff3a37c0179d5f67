#pragma once

#include <QString>

enum class RunKind { Zero, Span, CheckZero, CheckSpan };

// "Sampling data for Zero Calibration (Sample 1 of  100)": the number texts of
// the sample about to be taken and of the run's length, each with its blank;
// "Accuracy check with zero gas (Sample 1 of  100)" for a check.
QString samplingText(RunKind kind, double sample, double samples);

// The unit label during a run: "#" and the number text of the sample ("# 1").
QString sampleMarker(double sample);
