#pragma once

#include "record/calibration_record.h"
#include "judgement/run_judgement.h"

#include <QStringList>

// An accuracy check compares the transmitter's readings with a certified gas
// and writes nothing into it. Only a transmitter that fails is calibrated.

// Pass within the tolerance, fail outside it or on a weak IR signal; a gas
// that had not settled gives no verdict on the transmitter.
CheckOutcome checkOutcome(const RunJudgement &judgement);

// The lines of the box at the end of a check: its verdict, the figures (as
// found, applied gas, difference in ppm and %, tolerance) and, where the gas
// had not settled or the signal was weak, the judgement's words.
QStringList checkReportLines(CalibrationKind kind, const RunJudgement &judgement,
                             const Tolerance &tolerance);

// Why a check cannot start on `corrected` (the span gas's corrected
// concentration as shown); empty when it can. A zero check always can.
QString checkGasProblem(CalibrationKind kind, const QString &corrected);

// The question before a check, for one transmitter or for several.
QString checkQuestion(CalibrationKind kind, const QString &corrected, bool several);
