// The calibration controls: each handler hands its work to the session; the
// settings of a run and the report's form are asked here.

#include "shell/main_window.h"

#include "certificate/calibration_report.h"
#include "calibration/preferences.h"
#include "calibration/run_settings.h"

void MainWindow::Timer1_Timer()
{
    // The reading poll: "X" out, the reply checked and shown.
    m_session->Timer1_Timer();
}

void MainWindow::ZeroButton_Click()
{
    m_session->startZeroCalibration();
}

void MainWindow::SpanButton_Click()
{
    m_session->startSpanCalibration();
}

void MainWindow::CancelButton_Click()
{
    m_session->returnToIdle();
}

void MainWindow::menuUndoZeroCalibration_Click()
{
    m_session->undoZeroCalibration();
}

void MainWindow::menuUndoSpanCalibration_Click()
{
    m_session->undoSpanCalibration();
}

void MainWindow::menuAccuracyCheckZero_Click()
{
    m_session->startCheck(CalibrationKind::CheckZero);
}

void MainWindow::menuAccuracyCheckSpan_Click()
{
    m_session->startCheck(CalibrationKind::CheckSpan);
}

void MainWindow::menuNumberOfSamples_Click()
{
    if (const auto samples = askNumberOfSamples(m_dialogs, m_session->NumberOfSamples))
        m_session->NumberOfSamples = *samples;
}

void MainWindow::menuCalibrationTolerance_Click()
{
    askTolerance(m_dialogs, m_boxes, m_session->preferences());
}

void MainWindow::menuCorrectionLimit_Click()
{
    askCorrectionLimit(m_dialogs, m_boxes, m_session->preferences());
}

void MainWindow::menuCalibrationReport_Click()
{
    if (m_session->refusedDuringCalibration())
        return;
    const QList<CalibrationEvent> events = m_session->events();
    const QList<qsizetype> shown = reportedEvents(events);
    if (shown.isEmpty()) {
        m_boxes.report(QStringLiteral("No check or calibration has been recorded in this session."),
                       false);
        return;
    }
    m_session->askVersion();

    // What held for the last report is offered again, with the next
    // certificate number; the type and serial number typed for the parameter
    // sheet serve here too.
    Preferences kept = m_session->preferences();
    const ReportAnswers last = kept.reportAnswers();
    ReportAnswers offered = last;
    offered.certificate = nextCertificateNumber(last.certificate, m_clock.now().date().year());
    if (const QString typed = m_session->TransmitterTypeAndSerial; !typed.isEmpty()) {
        const auto [type, serial] = splitTypeAndSerial(typed);
        if (!type.isEmpty())
            offered.type = type;
        offered.serial = serial;
    }
    for (qsizetype i : shown)
        if (appliedGas(events[i]).value_or(0) > 0)
            offered.spanGasCertified = events[i].spanGas;
    ReportAnswers answers;
    for (;;) {
        const std::optional<QList<QString>> typed
            = m_dialogs.form(QStringLiteral("Calibration Report"), reportForm(offered));
        if (!typed)
            return;
        answers = reportAnswers(*typed);
        const QString problem = reportAnswersProblem(answers);
        if (problem.isEmpty())
            break;
        m_boxes.report(problem);
        offered = answers;
    }
    ReportAnswers keep = answers;
    keep.certificate = last.certificate; // counted once it is issued
    kept.setReportAnswers(keep);

    const PrintOutcome outcome = m_session->issueCertificate(answers, m_printer);
    if (outcome.result == PrintOutcome::Result::Printed
        || outcome.result == PrintOutcome::Result::Saved) {
        keep.certificate = answers.certificate;
        kept.setReportAnswers(keep);
    }
    if (outcome.result == PrintOutcome::Result::Saved)
        m_boxes.report(QStringLiteral("The calibration report has been saved in")
                           + CommandTerminator + outcome.detail,
                       false);
    else if (outcome.result == PrintOutcome::Result::Failed)
        m_boxes.report(outcome.detail);
}
