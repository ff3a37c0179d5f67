#include "recording_port.h"

RecordingSerialPort::RecordingSerialPort(SerialPort &port, QObject *parent)
    : SerialPort(parent), m_port(port)
{
    connect(&m_port, &SerialPort::readyRead, this, [this] {
        takeArrived();
        emit readyRead();
    });
    connect(&m_port, &SerialPort::lost, this, [this] {
        m_arrived.clear();
        emit lost();
    });
}

bool RecordingSerialPort::open()
{
    const bool opened = m_port.open();
    if (opened)
        m_arrived.clear();
    return opened;
}

void RecordingSerialPort::close()
{
    m_arrived.clear();
    m_port.close();
}

bool RecordingSerialPort::write(const QByteArray &data)
{
    const bool written = m_port.write(data);
    if (written && m_listener)
        m_listener(LineDirection::Out, data);
    return written;
}

QByteArray RecordingSerialPort::readAll()
{
    if (!m_port.isOpen()) {
        m_arrived.clear();
        return {};
    }
    takeArrived();
    return std::exchange(m_arrived, QByteArray());
}

void RecordingSerialPort::takeArrived()
{
    const QByteArray bytes = m_port.readAll();
    if (bytes.isEmpty())
        return;
    m_arrived += bytes;
    if (m_listener)
        m_listener(LineDirection::In, bytes);
}
