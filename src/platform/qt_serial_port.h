#pragma once

#include "serial_port.h"
#include "serial_settings.h"

#include <QSerialPort>

// The serial service on a real QSerialPort. Port n is the device named by the
// environment variable KESTRIN_COMn when it is set (a USB adapter such as
// /dev/ttyUSB0, or a pseudo-terminal), else /dev/ttyS(n-1) on Linux and COMn
// on Windows.
class QtSerialPort : public SerialPort {
    Q_OBJECT

public:
    explicit QtSerialPort(QObject *parent = nullptr);

    static QString devicePath(int number);

    bool setCommPort(int number) override;
    int commPort() const override { return m_commPort; }
    bool setSettings(const QString &settings) override;
    QString settings() const override { return m_settings.text(); }
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    bool write(const QByteArray &data) override;
    QByteArray readAll() override;

private:
    void applySettings();
    void onError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    SerialSettings m_settings;
    int m_commPort = 1;
};
