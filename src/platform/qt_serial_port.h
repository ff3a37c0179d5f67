#pragma once

#include "serial_port.h"
#include "serial_settings.h"

#include <QSerialPort>

// The line settings as QSerialPort takes them.
struct QtLineSettings {
    qint32 baud = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
    bool operator==(const QtLineSettings &) const = default;
};
QtLineSettings qtLineSettings(const SerialSettings &settings);

// The serial service on a real QSerialPort. Port n is the device named by the
// environment variable KESTRIN_COMn when it is set (a USB adapter such as
// /dev/ttyUSB0, or a pseudo-terminal), else /dev/ttyS(n-1) on Linux and COMn
// on Windows.
class QtSerialPort : public SerialPort {
    Q_OBJECT

public:
    explicit QtSerialPort(QObject *parent = nullptr);
    // A port whose every number names `device`, as a bench's transmitter has.
    explicit QtSerialPort(QString device, QObject *parent = nullptr);

    static QString devicePath(int number);

    bool setCommPort(int number) override;
    int commPort() const override { return m_commPort; }
    QString deviceName(int number) const override
    {
        return m_device.isEmpty() ? devicePath(number) : m_device;
    }
    QList<PortDescription> describePorts(const QList<int> &numbers) const override;
    QList<PortDescription> systemPorts() const override;
    std::unique_ptr<SerialPort> onDevice(const QString &device) const override;
    bool setSettings(const QString &settings) override;
    QString settings() const override { return m_settings.text(); }
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    bool write(const QByteArray &data) override;
    QByteArray readAll() override;

private:
    // False when the device refuses one of the settings: the port must then
    // not run on other settings than the ones asked for.
    bool applySettings();
    void onError(QSerialPort::SerialPortError error);

    QString m_device; // empty: the numbers name their devices
    QSerialPort m_port;
    SerialSettings m_settings;
    int m_commPort = 1;
};
