#pragma once

#include "link/line_log.h"
#include "platform/serial_port.h"

#include <functional>

// The port as the window uses it: every call goes to the platform's port
// unchanged, and every byte that went out or came in is also told to a
// listener (the line monitor). It adds no byte and no wait of its own.
class RecordingSerialPort : public SerialPort {
    Q_OBJECT

public:
    using Listener = std::function<void(LineDirection, const QByteArray &)>;

    explicit RecordingSerialPort(SerialPort &port, QObject *parent = nullptr);

    void setListener(Listener listener) { m_listener = std::move(listener); }

    bool setCommPort(int number) override { return m_port.setCommPort(number); }
    int commPort() const override { return m_port.commPort(); }
    bool setSettings(const QString &settings) override { return m_port.setSettings(settings); }
    QString settings() const override { return m_port.settings(); }
    bool open() override { return m_port.open(); }
    void close() override { m_port.close(); }
    bool isOpen() const override { return m_port.isOpen(); }
    // Only what the port took is recorded: a failed write put nothing on the line.
    bool write(const QByteArray &data) override;
    QByteArray readAll() override;

private:
    SerialPort &m_port;
    Listener m_listener;
};
