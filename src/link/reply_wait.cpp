// The command exchange: one command out, its reply gathered until the prompt
// or a time-out, and one user of the line at a time.

#include "session/transmitter_session.h"

#include "link/command_set.h"
#include "platform/serial_port.h"
#include "platform/timer.h"

bool TransmitterSession::WaitForReply(std::chrono::milliseconds timeout, char terminator)
{
    Timer1->stop();
    RxBuffer.clear();
    TimeOutTimer->setInterval(int(timeout.count()));
    TimeOutTimer->start();
    // The wait keeps a deadline of its own: a Cancel stops TimeOutTimer, and
    // the wait must still end on time.
    const qint64 deadline = m_clock.steadyMilliseconds() + timeout.count();

    bool received = false;
    for (;;) {
        RxBuffer += m_port.readAll();
        // The prompt test comes first: a reply complete at the deadline counts.
        if (!RxBuffer.isEmpty() && RxBuffer.back() == terminator) {
            received = true;
            break;
        }
        // A closed port cannot deliver a reply; no point in waiting it out.
        if (ReplyTimedOut || !m_port.isOpen() || m_clock.steadyMilliseconds() >= deadline)
            break;
        // Sleeps until bytes arrive, a timer ticks, the technician clicks, or
        // the deadline passes; handles whatever came meanwhile.
        m_clock.waitForEvents(deadline);
    }

    TimeOutTimer->stop();
    ReplyTimedOut = false;
    Timer1->start();
    return received;
}

void TransmitterSession::TimeOutTimer_Timer()
{
    ReplyTimedOut = true;
}

TransmitterSession::Answer TransmitterSession::send(const QByteArray &command,
                                                    std::chrono::milliseconds timeout,
                                                    LineUser user)
{
    const LineUser previous = std::exchange(m_lineUser, user);
    m_port.write(command);
    const bool replied = WaitForReply(timeout, Transmitter::Prompt);
    m_lineUser = previous;
    if (!replied)
        return Answer::Silent;
    return Transmitter::endsWithError(RxBuffer) ? Answer::Rejected : Answer::Answered;
}

bool TransmitterSession::sendOrFail(const QByteArray &command, std::chrono::milliseconds timeout,
                                    const LinkFailure &failure)
{
    switch (send(command, timeout)) {
    case Answer::Answered:
        return true;
    case Answer::Silent:
        failure.silent();
        return false;
    case Answer::Rejected:
        if (!failure.rejected)
            return true;
        failure.rejected();
        return false;
    }
    return false;
}

bool TransmitterSession::lineInUse(const std::function<void()> &handler)
{
    if (m_lineUser == LineUser::Idle)
        return false;
    // A click that lands while the reading poll waits for its reply runs as
    // soon as that reply is in, rather than being lost.
    if (m_lineUser == LineUser::Poll && handler && !m_afterPoll) {
        m_afterPoll = handler;
        return true;
    }
    m_desktop.beep();
    return true;
}

void TransmitterSession::runAfterPoll()
{
    if (auto handler = std::exchange(m_afterPoll, nullptr))
        handler();
}
