#pragma once

#include <QString>

// The texts of a calibration run: the questions before it, asked alike by the
// window and by a bench, and its progress.

enum class RunKind { Zero, Span, CheckZero, CheckSpan };

// "Sampling data for Zero Calibration (Sample 1 of  100)": the number texts of
// the sample about to be taken and of the run's length, each with its blank;
// "Accuracy check with zero gas (Sample 1 of  100)" for a check.
QString samplingText(RunKind kind, double sample, double samples);

// "Are you ready with the zero gas?"
QString zeroGasQuestion();

// The span question: `spans` is what the transmitters report ("2000 ppm").
QString spanGasQuestion(const QString &spans);

// The warning of a corrected concentration more than 10 % from the span.
QString spanGasFarWarning();

// The unit label during a run: "#" and the number text of the sample ("# 1").
QString sampleMarker(double sample);
