#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

// What the system knows about the device behind a port: its name always, the
// adapter's own description and serial number when it reports them (a USB
// adapter does, a built-in port or a pseudo-terminal does not).
struct PortDescription {
    QString device;
    QString description;
    QString serialNumber;
};

// The serial-port service of the window, with the five properties the
// transmitter tool has always used: CommPort, Settings, PortOpen, Output and
// Input. Failing operations report false instead of throwing; the callers keep
// their own sticky error indication.
class SerialPort : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~SerialPort() override = default;

    // Selects the port number for the next open. Refused (false) for a number
    // that names no port, and while the port is open.
    virtual bool setCommPort(int number) = 0;
    virtual int commPort() const = 0;
    // The device that port `number` stands for ("/dev/ttyUSB0", "COM3").
    virtual QString deviceName(int number) const = 0;
    // The ports `numbers`, in that order, looked up afresh on every call
    // (adapters come and go) and all at once (the system lists its ports in one go).
    virtual QList<PortDescription> describePorts(const QList<int> &numbers) const
    {
        QList<PortDescription> ports;
        for (int number : numbers)
            ports.append({deviceName(number), {}, {}});
        return ports;
    }

    // Every serial port the system has now, as a bench offers them to tick.
    virtual QList<PortDescription> systemPorts() const { return {}; }
    // A port of the same service on `device`: its every number names that
    // device. None where the service cannot make one.
    virtual std::unique_ptr<SerialPort> onDevice(const QString &device) const
    {
        Q_UNUSED(device);
        return nullptr;
    }

    // Line settings as "baud,parity,data bits,stop bits". A malformed text is
    // refused and the settings stay as they were. The initial text is 9600,n,8,1.
    virtual bool setSettings(const QString &settings) = 0;
    virtual QString settings() const = 0;

    // PortOpen. open() fails when the device does not exist or is in use.
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Output: writes the bytes as they stand; fails when the port is closed.
    virtual bool write(const QByteArray &data) = 0;

    // Input: every byte received since the last read; empty when nothing has
    // arrived or the port is closed. Never waits.
    virtual QByteArray readAll() = 0;

signals:
    // Bytes have arrived; wakes a reply wait that sleeps until something happens.
    void readyRead();
    // The port closed itself because the device failed or vanished.
    void lost();
};
