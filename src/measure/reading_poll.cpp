// The reading poll: every two seconds "X", the reply checked and shown.

#include "session/transmitter_session.h"

#include "link/command_set.h"
#include "measure/reading_record.h"
#include "platform/serial_port.h"

void TransmitterSession::Timer1_Timer()
{
    // One exchange at a time: no poll while another one waits for its reply.
    // The poll does run behind a box (the end of a run, a relay level asked
    // for), where the line is free.
    if (m_lineUser != LineUser::Idle)
        return;
    // A poll that cannot run leaves no reading: a trend's line breaks.
    if (!m_port.isOpen()) {
        emit readingMissed();
        return;
    }
    pollOnce();
    // A click that came during the wait runs now, as a click of its own.
    runAfterPoll();
}

void TransmitterSession::pollOnce()
{
    const Answer answer = send(Transmitter::command(Transmitter::Reading), Transmitter::PollTimeout,
                               LineUser::Poll);
    takePollAnswer(answer != Answer::Silent);
}

bool TransmitterSession::beginPoll()
{
    if (m_lineUser != LineUser::Idle)
        return false;
    if (!m_port.isOpen()) {
        emit readingMissed();
        return false;
    }
    m_lineUser = LineUser::Poll;
    RxBuffer.clear();
    m_port.write(Transmitter::command(Transmitter::Reading));
    return true;
}

bool TransmitterSession::pollReplyComplete()
{
    RxBuffer += m_port.readAll();
    return !RxBuffer.isEmpty() && RxBuffer.back() == Transmitter::Prompt;
}

void TransmitterSession::endPoll(bool replied)
{
    m_lineUser = LineUser::Idle;
    takePollAnswer(replied);
    runAfterPoll();
}

void TransmitterSession::takePollAnswer(bool replied)
{
    if (replied) {
        showPollReply();
    } else if (m_port.isOpen()) {
        emit readingMissed();
        m_desktop.beep();
        setStatus(QStringLiteral("Transmitter Not Responding, Check Com and Cables"),
                  StatusColour::Red);
        setDisplay(QStringLiteral("????"));
        returnToIdle();
    }
    // else the port went away during the wait, and the session already says so.
}

void TransmitterSession::showPollReply()
{
    // The link works even if this reply turns out malformed.
    if (sampling())
        setStatus(samplingStatusText(), StatusColour::Blue);
    else
        setStatus(QStringLiteral("Serial Connection OK"), StatusColour::Black);

    cutToRecord(RxBuffer);
    if (!hasRecordShape(RxBuffer)) {
        emit readingMissed();
        return;
    }

    const Reading reading = readRecord(RxBuffer);
    RxValue = reading.rx;
    TxValue = reading.tx;
    ppmValue = reading.ppm;
    avgValue = reading.avg;
    m_recentReadings.add(double(m_clock.steadyMilliseconds()) / 1000.0, reading.rx, reading.ppm);
    emit readingArrived(reading, sampling());

    if (reading.rx > 0 && reading.rx < 1000) {
        m_desktop.beep();
        setStatus(QStringLiteral("Transmitter Failure, IR-signal Low!"), StatusColour::Red);
    }

    if (!sampling())
        noteAsLeftReading(reading.avg);
    if (sampling()) {
        setDisplay(QStringLiteral("sample"));
        setDisplayUnit(sampleMarker(SampleCount + 1));
        takeSample();
        return;
    }
    const ConcentrationDisplay display = concentrationDisplay(reading);
    if (display.value)
        setDisplay(*display.value);
    if (display.unit)
        setDisplayUnit(*display.unit);
}
