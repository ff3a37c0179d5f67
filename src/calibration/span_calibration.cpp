// The span calibration: TS and RS from a run on span gas whose concentration
// is corrected for the ambient temperature and pressure, stored in the
// transmitter, and the undo that writes the earlier pair back.

#include "shell/main_window.h"

#include "ambient/corrected_concentration.h"
#include "calibration/progress_text.h"
#include "calibration/span_point.h"
#include "link/command_set.h"
#include "platform/serial_port.h"
#include "shell/leading_number.h"
#include "shell/number_format.h"

#include <QAction>
#include <QLabel>

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

void MainWindow::SpanButton_Click()
{
    if (!m_port.isOpen()) {
        report(QStringLiteral("Com Port is not open!"));
        return;
    }
    SampleCount = 0;
    RxMean = 0;
    TxMean = 0;
    if (NewR0.isEmpty() || NewT0.isEmpty()) {
        report(QStringLiteral("Calibrate First The Zero Point"));
        return;
    }
    if (!fetchValue(Transmitter::SpanConcentration, TransmitterSpan,
                    QStringLiteral("Failed to fetch current Span, try again")))
        return;
    // The warning below divides by the span, and the end of the run takes its
    // logarithm: a span of 0 or 1 ppm can only end in a wrong TS.
    if (!usableConcentration(LeadingNumber(TransmitterSpan))) {
        report(problemText(SpanProblem::SpanNotUsable, {}, TransmitterSpan));
        return;
    }
    // Nor can a corrected concentration without a usable value: say so before
    // the technician confirms anything.
    const QString correctedText = CorrectedConcentration->text();
    const double corrected = correctedConcentrationFromText(correctedText).value_or(0);
    if (!usableConcentration(corrected)) {
        report(problemText(SpanProblem::CorrectedNotUsable, correctedText, {}));
        return;
    }
    if (!confirm(
            QStringLiteral("The transmitter parameters are for ") + TransmitterSpan
                + QStringLiteral(" ppm.") + CommandTerminator
                + QStringLiteral("Are you ready with the ambient settings and with the span gas?"),
            MessageIcon::Question))
        return;

    const double span = LeadingNumber(TransmitterSpan);
    if (std::fabs(span - corrected) / span > 0.1) {
        m_desktop.beep();
        if (!confirm(QStringLiteral(
                         "Warning! Corrected gas concentration must be within ±10% of the Span.")
                         + CommandTerminator
                         + QStringLiteral("The calibration is possible, but not accurate."),
                     MessageIcon::Question))
            return;
    }

    const QString wrongReply = QStringLiteral("Failed to fetch current Span parameters, try again");
    if (!fetchValue(Transmitter::SpanTS, PreviousTS, wrongReply)
        || !fetchValue(Transmitter::SpanRS, PreviousRS, wrongReply))
        return;
    startRun(RunKind::Span);
}

void MainWindow::endSpanRun()
{
    NewTS = plainDecimalText(TxMean);
    NewRS = plainDecimalText(RxMean);

    // The entries may have changed during the run: read the label again.
    const QString correctedText = CorrectedConcentration->text();
    const auto result = computeSpanTS({
        correctedConcentrationFromText(correctedText).value_or(0),
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
        report(QStringLiteral("Span point not stored.") + CommandTerminator + reason);
        menuUndoSpanCalibration->setEnabled(true);
        return;
    }
    if (!runMayBeStored(CalibrationKind::Span,
                        correctedConcentrationFromText(correctedText).value_or(0)))
        return;
    NewTS = plainDecimalText(std::get<double>(result));
    StoreSpanPoint(NewTS, NewRS);
    menuUndoSpanCalibration->setEnabled(true);
}

void MainWindow::StoreSpanPoint(QString &ts, QString &rs, CalibrationKind kind)
{
    storePoint(kind, Transmitter::SpanTS.command, ts, Transmitter::SpanRS.command, rs,
               QStringLiteral("Span Point Set And Saved"));
}

void MainWindow::menuUndoSpanCalibration_Click()
{
    undoPoint(QStringLiteral("Undo Span Calibration? Please Confirm!"), menuUndoSpanCalibration,
              [this] { StoreSpanPoint(PreviousTS, PreviousRS, CalibrationKind::UndoSpan); });
}
