#include "fake_serial_port.h"

bool FakeSerialPort::setCommPort(int number)
{
    if (m_open || number < 1 || number > 16)
        return false;
    m_commPort = number;
    return true;
}

bool FakeSerialPort::setSettings(const QString &settings)
{
    const auto parsed = parseSerialSettings(settings);
    if (!parsed)
        return false;
    m_settings = *parsed;
    return true;
}

bool FakeSerialPort::open()
{
    ++openAttempts;
    if (m_open || !existing.contains(m_commPort) || heldByOthers.contains(m_commPort))
        return false;
    m_open = true;
    m_input.clear();
    opens << m_commPort;
    return true;
}

void FakeSerialPort::close()
{
    m_open = false;
}

bool FakeSerialPort::write(const QByteArray &data)
{
    if (!m_open || failWrites)
        return false;
    written += data;
    writes << data;
    if (onWrite)
        onWrite(data);
    return true;
}

QByteArray FakeSerialPort::readAll()
{
    if (!m_open)
        return {};
    return std::exchange(m_input, QByteArray());
}

void FakeSerialPort::deliver(const QByteArray &bytes)
{
    if (!m_open)
        return;
    m_input += bytes;
    emit readyRead();
}

void FakeSerialPort::vanish()
{
    if (!m_open)
        return;
    m_open = false;
    emit lost();
}
