// The zero calibration: T0 and R0 from a run on zero gas, stored in the
// transmitter, and the undo that writes the earlier pair back.

#include "session/transmitter_session.h"

#include "calibration/run_texts.h"
#include "link/command_set.h"
#include "shell/number_format.h"

void TransmitterSession::startZeroCalibration()
{
    if (!isOpen()) {
        m_boxes.report(QStringLiteral("Com Port is not open!"));
        return;
    }
    if (!m_boxes.confirm(zeroGasQuestion(), MessageIcon::Question))
        return;
    beginZeroRun();
}

bool TransmitterSession::beginZeroRun()
{
    // One run at a time, whoever asks: a second would overwrite the first's
    // values kept for the undo.
    if (calibrationRunning())
        return false;
    const QString wrongReply = QStringLiteral("Failed to fetch current Zero parameters, try again");
    if (!fetchValue(Transmitter::ZeroT0, PreviousT0, wrongReply)
        || !fetchValue(Transmitter::ZeroR0, PreviousR0, wrongReply))
        return false;
    startRun(RunKind::Zero);
    return true;
}

void TransmitterSession::endZeroRun()
{
    NewT0 = plainDecimalText(TxMean);
    NewR0 = plainDecimalText(RxMean);
    if (runMayBeStored(CalibrationKind::Zero, 0))
        storeRun(CalibrationKind::Zero);
}

void TransmitterSession::StoreZeroPoint(QString &t0, QString &r0, CalibrationKind kind)
{
    storePoint(kind, Transmitter::ZeroT0.command, t0, Transmitter::ZeroR0.command, r0,
               QStringLiteral("Zero Point Set And Saved"));
}

void TransmitterSession::undoZeroCalibration()
{
    undoPoint(QStringLiteral("Undo Zero Calibration? Please Confirm!"), m_undoZero,
              [this] { StoreZeroPoint(PreviousT0, PreviousR0, CalibrationKind::UndoZero); });
}
