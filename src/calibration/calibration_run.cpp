// A calibration run: one sample per reading poll, running means of the two
// channel signals, and at the end the new parameters, judged before anything
// is written.

#include "session/transmitter_session.h"

#include "shell/number_format.h"

#include <algorithm>
#include <array>
#include <cmath>

void TransmitterSession::startRun(RunKind kind)
{
    SampleCount = 0;
    RxMean = 0;
    TxMean = 0;
    ZeroCalibrationRunning = kind == RunKind::Zero;
    SpanCalibrationRunning = kind == RunKind::Span;
    if (kind == RunKind::CheckZero)
        m_check = CalibrationKind::CheckZero;
    else if (kind == RunKind::CheckSpan)
        m_check = CalibrationKind::CheckSpan;
    else
        m_check.reset();
    m_runComplete = false;
    m_awaitingDecision = false;
    emit runStateChanged();
    setStatus(QStringLiteral("Wait..."), m_status.colour);
    m_runStability = {};
    m_runTrace = {};
    m_runReadings = ReadingSeries(int(std::clamp(std::ceil(NumberOfSamples), 1.0, 1e9)));
    m_runJudgement.reset();
    m_runOverridden = false;
    emit runStarted();
    // Readings on the new gas are no longer the last store's "as left".
    finishAsLeft();
    emit runProgressed();
}

RunKind TransmitterSession::runKind() const
{
    return m_check == CalibrationKind::CheckZero ? RunKind::CheckZero
        : m_check == CalibrationKind::CheckSpan  ? RunKind::CheckSpan
        : ZeroCalibrationRunning                 ? RunKind::Zero
                                                 : RunKind::Span;
}

QString TransmitterSession::runName() const
{
    static const std::array<QString, 4> names {
        QStringLiteral("Zero calibration"), QStringLiteral("Span calibration"),
        QStringLiteral("Zero check"), QStringLiteral("Span check")};
    return names[size_t(runKind())];
}

QString TransmitterSession::samplingStatusText() const
{
    return samplingText(runKind(), SampleCount + 1, NumberOfSamples);
}

void TransmitterSession::takeSample()
{
    // Running means: no list of samples is kept, however long the run.
    ++SampleCount;
    RxMean += (RxValue.value_or(0) - RxMean) / SampleCount;
    TxMean += (TxValue.value_or(0) - TxMean) / SampleCount;
    const double seconds = double(m_clock.steadyMilliseconds()) / 1000.0;
    m_runStability.add(seconds, RxValue.value_or(0), TxValue.value_or(0));
    m_runTrace.add(seconds, avgValue.value_or(0));
    m_runReadings.add(seconds, RxValue.value_or(0), ppmValue.value_or(0));
    emit runProgressed();
    if (SampleCount < NumberOfSamples)
        return;
    // The run has its samples. The polls behind the boxes of its end show
    // the readings again and take no sample: nothing is stored twice.
    m_runComplete = true;

    if (const auto check = m_check) {
        // Back to idle first: a failed check may start a calibration.
        returnToIdle();
        endCheck(*check);
        return;
    }
    if (ZeroCalibrationRunning)
        endZeroRun();
    else
        endSpanRun();
    // A doubtful run held for its bench's decision stays where it is.
    if (!m_awaitingDecision)
        returnToIdle();
}

bool TransmitterSession::runMayBeStored(CalibrationKind kind, double appliedPpm)
{
    const Preferences kept = preferences();
    m_runJudgement = judgeRun(m_runReadings, appliedPpm, kept.tolerance(), kept.correctionLimit());
    if (m_runJudgement->passed())
        return true;
    if (m_heldDecisions) {
        m_awaitingDecision = true;
        emit runProgressed();
        return false;
    }
    // A doubtful run asks before anything reaches the transmitter; Enter and
    // Escape both keep it out.
    m_desktop.beep();
    const QString question = m_runJudgement->reasons().join(u'\r') + QStringLiteral("\r\r")
        + (kind == CalibrationKind::Zero ? QStringLiteral("Store the zero point all the same?")
                                         : QStringLiteral("Store the span point all the same?"));
    if (m_dialogs.message(question, MessageButtons::OkCancelSafe, MessageIcon::Question,
                          applicationTitle)
        == MessageResult::Ok) {
        m_runOverridden = true;
        return true;
    }
    refuseRun(kind);
    return false;
}

void TransmitterSession::refuseRun(CalibrationKind kind)
{
    recordCalibration(kind, {StoreResult::Outcome::Refused, m_runJudgement->reasonCode()}, {}, {});
    emit notice(kind == CalibrationKind::Zero
                    ? QStringLiteral("Zero calibration refused: nothing written")
                    : QStringLiteral("Span calibration refused: nothing written"));
}

void TransmitterSession::decideHeldRun(bool store)
{
    if (!m_awaitingDecision)
        return;
    m_awaitingDecision = false;
    const CalibrationKind kind
        = ZeroCalibrationRunning ? CalibrationKind::Zero : CalibrationKind::Span;
    if (!store) {
        refuseRun(kind);
    } else {
        m_runOverridden = true;
        storeRun(kind);
    }
    returnToIdle();
}

void TransmitterSession::storeRun(CalibrationKind kind)
{
    if (kind == CalibrationKind::Zero) {
        StoreZeroPoint(NewT0, NewR0);
        setUndo(m_undoZero, true);
    } else {
        StoreSpanPoint(NewTS, NewRS);
        setUndo(m_undoSpan, true);
    }
}
