#pragma once

#include "link/line_log.h"
#include "platform/serial_port.h"

#include <functional>

// The port as the window uses it: every call goes to the platform's port, and
// every byte that went out or came in is also told to a listener (the line
// monitor). Arriving bytes are taken from the port as soon as it announces
// them and kept until the window reads them, so the monitor shows them when
// they came (a late reply before the next command, not after it); the window
// reads exactly the bytes it would have read from the port itself. It adds no
// byte and no wait of its own.
class RecordingSerialPort : public SerialPort {
    Q_OBJECT

public:
    using Listener = std::function<void(LineDirection, const QByteArray &)>;

    explicit RecordingSerialPort(SerialPort &port, QObject *parent = nullptr);

    void setListener(Listener listener) { m_listener = std::move(listener); }

    bool setCommPort(int number) override { return m_port.setCommPort(number); }
    int commPort() const override { return m_port.commPort(); }
    QString deviceName(int number) const override { return m_port.deviceName(number); }
    QList<PortDescription> describePorts(const QList<int> &numbers) const override
    {
        return m_port.describePorts(numbers);
    }
    QList<PortDescription> systemPorts() const override { return m_port.systemPorts(); }
    std::unique_ptr<SerialPort> onDevice(const QString &device) const override
    {
        return m_port.onDevice(device);
    }
    bool setSettings(const QString &settings) override { return m_port.setSettings(settings); }
    QString settings() const override { return m_port.settings(); }
    // Opening and closing drop what arrived before, as the port itself does.
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    // Only what the port took is recorded: a failed write put nothing on the line.
    bool write(const QByteArray &data) override;
    QByteArray readAll() override;

private:
    void takeArrived();

    SerialPort &m_port;
    Listener m_listener;
    QByteArray m_arrived; // taken from the port, not yet read by the window
};
