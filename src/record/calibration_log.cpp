// The technician's record of calibrations: the session gathers what each
// store, refusal and undo was about and hands it to the journal, which
// numbers it and puts it on the disk at once.

#include "session/transmitter_session.h"

#include "judgement/accuracy_check.h"
#include "platform/serial_port.h"
#include "record/calibration_journal.h"

void TransmitterSession::recordCalibration(CalibrationKind kind, const StoreResult &result,
                                           const QString &afterT, const QString &afterR)
{
    CalibrationEvent e;
    e.time = m_clock.now();
    e.port = portName();
    if (const int port = m_port.commPort(); port > 0)
        e.device = m_port.deviceName(port);
    e.version = m_version;
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
    const GasAndAmbient entered = ambient();
    e.spanGas = entered.spanGas;
    e.corrected = entered.corrected;
    e.temperatureShown = entered.temperatureShown;
    e.temperatureUnit = entered.temperatureUnit;
    e.temperatureCelsius = entered.temperatureCelsius;
    e.pressureShown = entered.pressureShown;
    e.pressureUnit = entered.pressureUnit;
    e.pressureHectopascal = entered.pressureHectopascal;
    e.afterT = afterT;
    e.afterR = afterR;
    tellOutcome(e);
    showRecordProblem(journal().add(e));
}

void TransmitterSession::tellOutcome(const CalibrationEvent &e)
{
    using O = StoreResult::Outcome;
    const bool stored = e.result.outcome == O::Stored;
    const bool zero = e.kind == CalibrationKind::Zero || e.kind == CalibrationKind::UndoZero;
    const QString point = zero ? QStringLiteral("Zero point") : QStringLiteral("Span point");
    const QString values = zero ? QStringLiteral("T0 %1, R0 %2") : QStringLiteral("TS %1, RS %2");
    SessionOutcome told;
    // A check stores nothing: it has no figures.
    if (stored && !isCheck(e.kind))
        told.figures = values.arg(e.afterT, e.afterR);
    switch (e.kind) {
    case CalibrationKind::Zero:
    case CalibrationKind::Span:
        told.how = !stored ? (e.result.outcome == O::Refused ? QStringLiteral("refused")
                                                             : QStringLiteral("not stored"))
            : e.result.warning.isEmpty() ? QStringLiteral("stored")
                                         : QStringLiteral("stored after warning");
        if (stored)
            told.message = point + QStringLiteral(" stored: ") + told.figures;
        break;
    case CalibrationKind::UndoZero:
    case CalibrationKind::UndoSpan:
        told.how = stored ? QStringLiteral("undone") : QStringLiteral("undo failed");
        if (stored)
            told.message = point + QStringLiteral(" restored: ") + told.figures;
        told.run = zero ? QStringLiteral("Zero calibration") : QStringLiteral("Span calibration");
        break;
    case CalibrationKind::CheckZero:
    case CalibrationKind::CheckSpan:
        told.how = e.check == CheckOutcome::NotSettled ? QStringLiteral("not settled")
                                                       : checkOutcomeText(e.check).toUpper();
        break;
    }
    told.marker = kindText(e.kind) + u' ' + told.how;
    emit outcome(told);
}

void TransmitterSession::noteAsLeftReading(double ppm)
{
    if (m_journal)
        showRecordProblem(m_journal->noteReading(ppm, m_clock.now()));
}

void TransmitterSession::finishAsLeft()
{
    if (m_journal)
        showRecordProblem(m_journal->finishAsLeft());
}

void TransmitterSession::showRecordProblem(bool written)
{
    // Out of the calibration's way: the calibration itself went on, and the
    // row waits for the next one.
    if (!written)
        emit notice(m_journal->problem());
}
