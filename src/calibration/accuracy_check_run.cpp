// The accuracy check: a run on zero or span gas whose mean reading is
// compared with the gas against the tolerance. Only "X" goes out; the
// transmitter is left as it was.

#include "shell/main_window.h"

#include "ambient/corrected_concentration.h"
#include "calibration/accuracy_check.h"
#include "calibration/progress_text.h"
#include "calibration/span_point.h"
#include "platform/serial_port.h"

#include <QLabel>

void MainWindow::menuAccuracyCheckZero_Click()
{
    startCheck(CalibrationKind::CheckZero);
}

void MainWindow::menuAccuracyCheckSpan_Click()
{
    startCheck(CalibrationKind::CheckSpan);
}

void MainWindow::startCheck(CalibrationKind kind)
{
    if (refusedDuringCalibration())
        return;
    if (!m_port.isOpen()) {
        report(QStringLiteral("Com Port is not open!"));
        return;
    }
    const bool zero = kind == CalibrationKind::CheckZero;
    if (!zero) {
        const QString corrected = CorrectedConcentration->text();
        if (!usableConcentration(correctedConcentrationFromText(corrected).value_or(0))) {
            report(QStringLiteral("The corrected span gas concentration (%1 ppm) cannot be used "
                                  "for an accuracy check. Check the span gas, temperature and "
                                  "pressure entries.")
                       .arg(corrected));
            return;
        }
    }
    const QString gas = zero ? QStringLiteral("the zero gas")
                             : QStringLiteral("the span gas of ") + CorrectedConcentration->text()
            + QStringLiteral(" ppm");
    if (!confirm(QStringLiteral("Accuracy check: the transmitter's readings are compared with ")
                     + gas + QStringLiteral("; nothing is written into the transmitter.")
                     + CommandTerminator + QStringLiteral("Are you ready with ") + gas
                     + QStringLiteral("?"),
                 MessageIcon::Question))
        return;
    startRun(zero ? RunKind::CheckZero : RunKind::CheckSpan);
}

void MainWindow::endCheck(CalibrationKind kind)
{
    const bool zero = kind == CalibrationKind::CheckZero;
    // The entries may have changed during the run: the label at the end counts.
    const double applied
        = zero ? 0.0 : correctedConcentrationFromText(CorrectedConcentration->text()).value_or(0);
    const Tolerance tolerance = preferences().tolerance();
    m_runJudgement = judgeRun(m_runReadings, applied, tolerance);
    recordCalibration(kind, {}, {}, {});

    const CheckOutcome outcome = checkOutcome(*m_runJudgement);
    const QString text = checkReportLines(kind, *m_runJudgement, tolerance).join(CommandTerminator);
    if (outcome != CheckOutcome::Fail) {
        report(text, outcome == CheckOutcome::NotSettled);
        return;
    }
    // The next step is the technician's: the calibration asks again before
    // it starts.
    m_desktop.beep();
    if (confirm(text + CommandTerminator + CommandTerminator
                    + (zero ? QStringLiteral("Calibrate the zero point now?")
                            : QStringLiteral("Calibrate the span point now?")),
                MessageIcon::Question)) {
        if (zero)
            ZeroButton_Click();
        else
            SpanButton_Click();
    }
}
