// The technician's record of calibrations: the window gathers what each
// store, refusal and undo was about and hands it to the journal, which
// numbers it and puts it on the disk at once.

#include "shell/main_window.h"

#include "calibration/accuracy_check.h"
#include "calibration/calibration_journal.h"
#include "calibration/stability_panel.h"
#include "measure/trend_view.h"
#include "platform/serial_port.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>

CalibrationJournal &MainWindow::journal()
{
    // Made at its first row: the start-up has no use for it.
    if (!m_journal) {
        const QString folder = m_desktop.dataFolder();
        m_journal = std::make_unique<CalibrationJournal>(
            folder.isEmpty() ? QString() : QDir(folder).filePath(recordFileName));
    }
    return *m_journal;
}

void MainWindow::recordCalibration(CalibrationKind kind, const StoreResult &result,
                                   const QString &afterT, const QString &afterR)
{
    CalibrationEvent e;
    e.time = m_clock.now();
    const int port = m_port.commPort();
    if (port > 0) {
        e.port = QStringLiteral("COM%1").arg(port);
        e.device = m_port.deviceName(port);
    }
    e.version = m_transmitterVersion;
    e.kind = kind;
    e.result = result;
    const bool undo = kind == CalibrationKind::UndoZero || kind == CalibrationKind::UndoSpan;
    if (!undo) {
        // A run's figures, whether it calibrated or checked.
        e.samples = SampleCount;
        e.stability = m_runStability;
        e.trace = m_runTrace;
        e.judgement = m_runJudgement;
    }
    switch (kind) {
    case CalibrationKind::CheckZero:
    case CalibrationKind::CheckSpan:
        if (m_runJudgement)
            e.check = checkOutcome(*m_runJudgement);
        break;
    case CalibrationKind::Zero:
    case CalibrationKind::Span:
        if (m_runOverridden && m_runJudgement && e.result.outcome == StoreResult::Outcome::Stored)
            e.result.warning = m_runJudgement->reasonCode();
        e.beforeT = kind == CalibrationKind::Zero ? PreviousT0 : PreviousTS;
        e.beforeR = kind == CalibrationKind::Zero ? PreviousR0 : PreviousRS;
        break;
    case CalibrationKind::UndoZero:
        // The transmitter holds what this session's last zero stored, if it
        // stored anything.
        std::tie(e.beforeT, e.beforeR) = journal().valuesLeftBy(CalibrationKind::Zero);
        break;
    case CalibrationKind::UndoSpan:
        std::tie(e.beforeT, e.beforeR) = journal().valuesLeftBy(CalibrationKind::Span);
        break;
    }
    e.spanGas = SpanGasConcentration->text();
    e.corrected = CorrectedConcentration->text();
    e.temperatureShown = TemperatureText->text();
    e.temperatureUnit = TemperatureLabel->text();
    e.temperatureCelsius = Temperature;
    e.pressureShown = PressureText->text();
    e.pressureUnit = PressureLabel->text();
    e.pressureHectopascal = Pressure;
    e.afterT = afterT;
    e.afterR = afterR;
    tellOutcome(e);
    showRecordProblem(journal().add(e));
}

void MainWindow::tellOutcome(const CalibrationEvent &e)
{
    using O = StoreResult::Outcome;
    const bool stored = e.result.outcome == O::Stored;
    const bool zero = e.kind == CalibrationKind::Zero || e.kind == CalibrationKind::UndoZero;
    const QString point = zero ? QStringLiteral("Zero point") : QStringLiteral("Span point");
    const QString values = zero ? QStringLiteral("T0 %1, R0 %2") : QStringLiteral("TS %1, RS %2");
    QString how;
    switch (e.kind) {
    case CalibrationKind::Zero:
    case CalibrationKind::Span:
        how = !stored                    ? (e.result.outcome == O::Refused ? QStringLiteral("refused")
                                                                           : QStringLiteral("not stored"))
            : e.result.warning.isEmpty() ? QStringLiteral("stored")
                                         : QStringLiteral("stored after warning");
        if (stored)
            statusBar()->showMessage(point + QStringLiteral(" stored: ")
                                     + values.arg(e.afterT, e.afterR));
        m_stabilityPanel->endRun(how);
        break;
    case CalibrationKind::UndoZero:
    case CalibrationKind::UndoSpan:
        how = stored ? QStringLiteral("undone") : QStringLiteral("undo failed");
        if (stored)
            statusBar()->showMessage(point + QStringLiteral(" restored: ")
                                     + values.arg(e.afterT, e.afterR));
        m_stabilityPanel->endRun(how, zero ? QStringLiteral("Zero calibration")
                                           : QStringLiteral("Span calibration"));
        break;
    case CalibrationKind::CheckZero:
    case CalibrationKind::CheckSpan:
        how = e.check == CheckOutcome::NotSettled ? QStringLiteral("not settled")
                                                  : checkOutcomeText(e.check).toUpper();
        m_stabilityPanel->endRun(how);
        break;
    }
    m_trendView->addMarker(kindText(e.kind) + u' ' + how);
}

void MainWindow::noteAsLeftReading(double ppm)
{
    if (m_journal)
        showRecordProblem(m_journal->noteReading(ppm, m_clock.now()));
}

void MainWindow::finishAsLeft()
{
    if (m_journal)
        showRecordProblem(m_journal->finishAsLeft());
}

void MainWindow::showRecordProblem(bool written)
{
    // Out of the calibration's way: the calibration itself went on, and the
    // row waits for the next one.
    if (!written)
        statusBar()->showMessage(m_journal->problem());
}
