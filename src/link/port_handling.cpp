// Opening, choosing and closing the serial port.

#include "session/transmitter_session.h"

#include "link/command_set.h"
#include "link/recording_port.h"
#include "platform/serial_port.h"
#include "platform/timer.h"

SerialPort &TransmitterSession::port()
{
    return m_port;
}

void TransmitterSession::setLineListener(
    std::function<void(LineDirection, const QByteArray &)> listener)
{
    m_lineTap->setListener(std::move(listener));
}

bool TransmitterSession::isOpen() const
{
    return m_port.isOpen();
}

QString TransmitterSession::portName() const
{
    if (!m_portName.isEmpty())
        return m_portName;
    const int number = m_port.commPort();
    return number > 0 ? QStringLiteral("COM%1").arg(number) : QString();
}

bool TransmitterSession::openPort(int number, char greeting)
{
    m_reopenTimer->stop();
    if (m_port.isOpen())
        m_port.close();
    // Never leave a port open that the view does not show as open.
    if (!m_port.setCommPort(number) || !m_port.open() || !m_port.write(QByteArray(1, greeting))) {
        m_port.close();
        emit linkChanged();
        return false;
    }
    emit linkChanged();
    return true;
}

bool TransmitterSession::selectPort(int number)
{
    if (refusedDuringCalibration())
        return false;
    // The technician's choice ends any wait for a vanished device.
    m_reopenTimer->stop();
    if (m_port.isOpen())
        m_port.close();
    emit linkChanged();
    if (!m_port.setCommPort(number) || !m_port.open()) {
        emit linkChanged();
        m_boxes.report(QStringLiteral("The Com Port is not available"));
        return false;
    }
    // A backspace first, so that a half-typed command in the transmitter is
    // wiped before the first real one.
    m_port.write(QByteArray(1, Transmitter::Backspace));
    setStatus(QStringLiteral("Com Port is Open"), StatusColour::Black);
    emit linkChanged();
    return true;
}

bool TransmitterSession::closePort()
{
    if (refusedDuringCalibration())
        return false;
    m_reopenTimer->stop();
    m_port.close();
    setDisplay(QStringLiteral("????"));
    setStatus(QStringLiteral("Com Port is Closed"), StatusColour::Red);
    emit linkChanged();
    return true;
}

void TransmitterSession::shutDown()
{
    finishAsLeft();
    // A closed window waits for no device.
    m_reopenTimer->stop();
    if (m_port.isOpen())
        m_port.close();
    emit linkChanged();
}
