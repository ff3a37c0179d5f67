// A device that vanishes under the open port (a pulled USB adapter, a
// transmitter switched off with its adapter) and its return. The session does
// not give the port up: it tries the same port again every second until the
// device is back or the technician chooses another port or closes it.

#include "session/transmitter_session.h"

#include "link/command_set.h"
#include "platform/serial_port.h"
#include "platform/timer.h"

bool TransmitterSession::waitingForDevice() const
{
    return m_reopenTimer->isEnabled();
}

void TransmitterSession::onPortLost()
{
    // The technician did not close the port: the settings file stays, and
    // closing the port stays possible, as the way to stop waiting.
    m_desktop.beep();
    setDisplay(QStringLiteral("????"));
    emit readingMissed();
    setStatus(QStringLiteral("Com Port is Closed"), StatusColour::Red);
    // A run cannot go on without its readings, and nothing of a broken run
    // is stored.
    returnToIdle();
    m_reopenTimer->start();
    emit linkChanged();
}

void TransmitterSession::reopenLostPort()
{
    if (!m_port.open())
        return;
    // As at start-up: the end-of-text character clears whatever the
    // transmitter had half-read when the line went.
    if (!m_port.write(QByteArray(1, Transmitter::EndOfText))) {
        m_port.close();
        return;
    }
    m_reopenTimer->stop();
    setStatus(QStringLiteral("Com Port is Open"), StatusColour::Black);
    emit linkChanged();
    // The polling timer never stopped: its next tick finds the port open.
}
