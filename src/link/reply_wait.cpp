// The command exchange: one command out, its reply gathered until the prompt
// or a time-out, and only one exchange at a time.

#include "shell/main_window.h"

#include "link/command_set.h"
#include "platform/serial_port.h"
#include "platform/timer.h"

bool MainWindow::WaitForReply(int timeout, char terminator)
{
    Timer1->stop();
    RxBuffer.clear();
    TimeOutTimer->setInterval(timeout);
    TimeOutTimer->start();
    // The wait keeps a deadline of its own: a Cancel stops TimeOutTimer, and
    // the wait must still end on time.
    const qint64 deadline = m_clock.steadyMilliseconds() + timeout;
    ++m_waitDepth;

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

    --m_waitDepth;
    TimeOutTimer->stop();
    ReplyTimedOut = false;
    Timer1->start();
    return received;
}

void MainWindow::TimeOutTimer_Timer()
{
    ReplyTimedOut = true;
}

bool MainWindow::exchange(const QByteArray &command, int timeout)
{
    m_port.write(command);
    return WaitForReply(timeout, Transmitter::Prompt);
}

bool MainWindow::linkBusy(const std::function<void()> &retry)
{
    if (m_waitDepth == 0)
        return false;
    // A click that lands while the reading poll waits for its reply runs as
    // soon as that reply is in, rather than being lost.
    if (m_pollWaiting && retry && !m_afterPoll) {
        m_afterPoll = retry;
        return true;
    }
    m_desktop.beep();
    return true;
}

void MainWindow::runAfterPoll()
{
    if (auto action = std::exchange(m_afterPoll, nullptr))
        action();
}
