// The accuracy check: a run on zero or span gas whose mean reading is
// compared with the gas against the tolerance. Only "X" goes out; the
// transmitter is left as it was.

#include "session/transmitter_session.h"

#include "ambient/corrected_concentration.h"
#include "judgement/accuracy_check.h"

void TransmitterSession::startCheck(CalibrationKind kind)
{
    if (refusedDuringCalibration())
        return;
    if (!isOpen()) {
        m_boxes.report(QStringLiteral("Com Port is not open!"));
        return;
    }
    const QString corrected = ambient().corrected;
    if (const QString problem = checkGasProblem(kind, corrected); !problem.isEmpty()) {
        m_boxes.report(problem);
        return;
    }
    if (!m_boxes.confirm(checkQuestion(kind, corrected, false), MessageIcon::Question))
        return;
    beginCheck(kind);
}

bool TransmitterSession::beginCheck(CalibrationKind kind)
{
    if (calibrationRunning())
        return false;
    startRun(kind == CalibrationKind::CheckZero ? RunKind::CheckZero : RunKind::CheckSpan);
    return true;
}

void TransmitterSession::endCheck(CalibrationKind kind)
{
    const bool zero = kind == CalibrationKind::CheckZero;
    // The entries may have changed during the run: the label at the end counts.
    const double applied
        = zero ? 0.0 : correctedConcentrationFromText(ambient().corrected).value_or(0);
    const Tolerance tolerance = preferences().tolerance();
    m_runJudgement = judgeRun(m_runReadings, applied, tolerance);
    m_lastCheck = checkOutcome(*m_runJudgement);
    recordCalibration(kind, {}, {}, {});
    if (m_heldDecisions)
        return;

    const QString text = checkReportLines(kind, *m_runJudgement, tolerance).join(u'\r');
    if (*m_lastCheck != CheckOutcome::Fail) {
        m_boxes.report(text, *m_lastCheck == CheckOutcome::NotSettled);
        return;
    }
    // The next step is the technician's: the calibration asks again before
    // it starts.
    m_desktop.beep();
    if (m_boxes.confirm(text + QStringLiteral("\r\r")
                            + (zero ? QStringLiteral("Calibrate the zero point now?")
                                    : QStringLiteral("Calibrate the span point now?")),
                        MessageIcon::Question)) {
        if (zero)
            startZeroCalibration();
        else
            startSpanCalibration();
    }
}
