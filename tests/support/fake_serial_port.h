#pragma once

#include "platform/serial_port.h"
#include "platform/serial_settings.h"

#include <QByteArray>
#include <QList>

#include <functional>
#include <set>

// A serial port that records every byte written and delivers what the test
// (or a scripted transmitter) puts on the line. Ports 1 to 4 exist and are
// free unless a test says otherwise.
class FakeSerialPort : public SerialPort {
    Q_OBJECT

public:
    bool setCommPort(int number) override;
    int commPort() const override { return m_commPort; }
    QString deviceName(int number) const override
    {
        return QStringLiteral("/dev/ttyFAKE%1").arg(number);
    }
    // An adapter with its description and serial number while the port
    // exists; the bare device name while it does not.
    QList<PortDescription> describePorts(const QList<int> &numbers) const override
    {
        QList<PortDescription> ports;
        for (int n : numbers)
            ports.append(existing.contains(n)
                             ? PortDescription {deviceName(n), QStringLiteral("Fake USB serial"),
                                                QStringLiteral("FK%1").arg(n)}
                             : PortDescription {deviceName(n), {}, {}});
        return ports;
    }
    bool setSettings(const QString &settings) override;
    QString settings() const override { return m_settings.text(); }
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    bool write(const QByteArray &data) override;
    QByteArray readAll() override;

    // ---- What the test controls ----
    std::set<int> existing {1, 2, 3, 4};
    std::set<int> heldByOthers;
    bool failWrites = false;
    // Called with each write while the port is open.
    std::function<void(const QByteArray &)> onWrite;

    // Bytes arriving from the transmitter.
    void deliver(const QByteArray &bytes);
    // The device goes away: the port closes itself.
    void vanish();

    // ---- What the test reads ----
    QByteArray written; // every byte, in order
    QList<QByteArray> writes; // one entry per write
    QList<int> opens; // the port number of every successful open
    int openAttempts = 0; // successful or not

private:
    SerialSettings m_settings;
    int m_commPort = 1;
    bool m_open = false;
    QByteArray m_input;
};
