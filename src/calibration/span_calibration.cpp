// The span calibration: TS and RS from a run on span gas whose concentration
// is corrected for the ambient temperature and pressure, stored in the
// transmitter, and the undo that writes the earlier pair back.

#include "session/transmitter_session.h"

#include "ambient/corrected_concentration.h"
#include "calibration/run_texts.h"
#include "calibration/span_point.h"
#include "link/command_set.h"
#include "shell/leading_number.h"
#include "shell/number_format.h"

#include <cmath>

namespace {

QString problemText(SpanProblem problem, const QString &corrected, const QString &span)
{
    switch (problem) {
    case SpanProblem::CorrectedNotUsable:
        return QStringLiteral(
                   "The corrected span gas concentration (%1 ppm) cannot be used for a span "
                   "calibration. Check the span gas, temperature and pressure entries.")
            .arg(corrected);
    case SpanProblem::SpanNotUsable:
        return QStringLiteral("The span the transmitter reports (%1 ppm) cannot be used for a span "
                              "calibration. Check the transmitter's span setting.")
            .arg(span);
    case SpanProblem::ZeroR0NotPositive:
        return QStringLiteral(
            "The zero point's reference signal R0 is not above 0. Repeat the zero "
            "calibration.");
    case SpanProblem::MeanRxNotPositive:
        return QStringLiteral("The mean reference signal of the span run is not above 0. Check the "
                              "transmitter.");
    case SpanProblem::ResultOutOfRange:
        return QStringLiteral(
            "The computed span parameter TS is outside the range the transmitter can hold. "
            "Check the span gas entry and the zero calibration.");
    }
    return {};
}

} // namespace

void TransmitterSession::startSpanCalibration()
{
    if (!isOpen()) {
        m_boxes.report(QStringLiteral("Com Port is not open!"));
        return;
    }
    if (!prepareSpanRun())
        return;
    if (!m_boxes.confirm(spanGasQuestion(TransmitterSpan + QStringLiteral(" ppm")),
                         MessageIcon::Question))
        return;
    if (!spanGasNearSpan()) {
        m_desktop.beep();
        if (!m_boxes.confirm(spanGasFarWarning(), MessageIcon::Question))
            return;
    }
    beginSpanRun();
}

bool TransmitterSession::prepareSpanRun()
{
    SampleCount = 0;
    RxMean = 0;
    TxMean = 0;
    if (NewR0.isEmpty() || NewT0.isEmpty()) {
        m_boxes.report(QStringLiteral("Calibrate First The Zero Point"));
        return false;
    }
    if (!fetchValue(Transmitter::SpanConcentration, TransmitterSpan,
                    QStringLiteral("Failed to fetch current Span, try again")))
        return false;
    // The warning divides by the span, and the end of the run takes its
    // logarithm: a span of 0 or 1 ppm can only end in a wrong TS.
    if (!usableConcentration(LeadingNumber(TransmitterSpan))) {
        m_boxes.report(problemText(SpanProblem::SpanNotUsable, {}, TransmitterSpan));
        return false;
    }
    // Nor can a corrected concentration without a usable value: say so before
    // the technician confirms anything.
    const QString correctedText = ambient().corrected;
    if (!usableConcentration(correctedConcentrationFromText(correctedText).value_or(0))) {
        m_boxes.report(problemText(SpanProblem::CorrectedNotUsable, correctedText, {}));
        return false;
    }
    return true;
}

bool TransmitterSession::spanGasNearSpan() const
{
    const double span = LeadingNumber(TransmitterSpan);
    const double corrected = correctedConcentrationFromText(ambient().corrected).value_or(0);
    return std::fabs(span - corrected) / span <= 0.1;
}

bool TransmitterSession::beginSpanRun()
{
    // One run at a time, whoever asks: a second would overwrite the first's
    // values kept for the undo.
    if (calibrationRunning())
        return false;
    const QString wrongReply = QStringLiteral("Failed to fetch current Span parameters, try again");
    if (!fetchValue(Transmitter::SpanTS, PreviousTS, wrongReply)
        || !fetchValue(Transmitter::SpanRS, PreviousRS, wrongReply))
        return false;
    startRun(RunKind::Span);
    return true;
}

void TransmitterSession::endSpanRun()
{
    NewTS = plainDecimalText(TxMean);
    NewRS = plainDecimalText(RxMean);

    // The entries may have changed during the run: read the label again.
    const QString correctedText = ambient().corrected;
    const double corrected = correctedConcentrationFromText(correctedText).value_or(0);
    const auto result = computeSpanTS({
        corrected,
        LeadingNumber(TransmitterSpan),
        LeadingNumber(NewT0),
        LeadingNumber(NewR0),
        TxMean,
        RxMean,
        TubeCoefficient,
    });
    if (const auto *problem = std::get_if<SpanProblem>(&result)) {
        // Nothing reaches the transmitter; it keeps its span point.
        const QString reason = problemText(*problem, correctedText, TransmitterSpan);
        recordCalibration(CalibrationKind::Span, {StoreResult::Outcome::Refused, reason}, {}, {});
        m_boxes.report(QStringLiteral("Span point not stored.\r") + reason);
        setUndo(m_undoSpan, true);
        return;
    }
    // Kept for a decision held by a bench.
    NewTS = plainDecimalText(std::get<double>(result));
    if (runMayBeStored(CalibrationKind::Span, corrected))
        storeRun(CalibrationKind::Span);
}

void TransmitterSession::StoreSpanPoint(QString &ts, QString &rs, CalibrationKind kind)
{
    storePoint(kind, Transmitter::SpanTS.command, ts, Transmitter::SpanRS.command, rs,
               QStringLiteral("Span Point Set And Saved"));
}

void TransmitterSession::undoSpanCalibration()
{
    undoPoint(QStringLiteral("Undo Span Calibration? Please Confirm!"), m_undoSpan,
              [this] { StoreSpanPoint(PreviousTS, PreviousRS, CalibrationKind::UndoSpan); });
}
