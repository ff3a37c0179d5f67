#include "recording_port.h"

RecordingSerialPort::RecordingSerialPort(SerialPort &port, QObject *parent)
    : SerialPort(parent), m_port(port)
{
    connect(&m_port, &SerialPort::readyRead, this, &SerialPort::readyRead);
    connect(&m_port, &SerialPort::lost, this, &SerialPort::lost);
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
    QByteArray bytes = m_port.readAll();
    if (!bytes.isEmpty() && m_listener)
        m_listener(LineDirection::In, bytes);
    return bytes;
}
