// The one way back to idle: the Cancel button, a poll without reply, a failed
// store and the end of every run all come through here.

#include "session/transmitter_session.h"

#include "platform/timer.h"

void TransmitterSession::returnToIdle()
{
    // A run that had not taken its last sample ends here with nothing
    // written: say so at once, the status line keeps its text until the next
    // poll.
    if (sampling()) {
        const QString run = runName();
        emit outcome({run + QStringLiteral(" cancelled: nothing written"),
                      QStringLiteral("cancelled"),
                      {},
                      run.section(u' ', 0, 0).toLower() + QStringLiteral(" cancelled"),
                      {}});
    }
    // A doubtful run held for a decision that never came is refused.
    if (m_awaitingDecision) {
        m_awaitingDecision = false;
        refuseRun(ZeroCalibrationRunning ? CalibrationKind::Zero : CalibrationKind::Span);
    }
    ZeroCalibrationRunning = false;
    SpanCalibrationRunning = false;
    m_check.reset();
    m_runComplete = false;
    emit runStateChanged();
    TimeOutTimer->stop();
    ReplyTimedOut = false;
    emit runProgressed();
}
