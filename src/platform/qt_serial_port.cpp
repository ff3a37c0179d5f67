#include "qt_serial_port.h"

#include <QFileInfo>
#include <QSerialPortInfo>
#include <QtGlobal>

namespace {

constexpr int highestPortNumber = 16;

} // namespace

QtLineSettings qtLineSettings(const SerialSettings &settings)
{
    QtLineSettings qt;
    qt.baud = settings.baud;
    switch (QChar::toUpper(char16_t(settings.parity))) {
    case u'E':
        qt.parity = QSerialPort::EvenParity;
        break;
    case u'O':
        qt.parity = QSerialPort::OddParity;
        break;
    case u'M':
        qt.parity = QSerialPort::MarkParity;
        break;
    case u'S':
        qt.parity = QSerialPort::SpaceParity;
        break;
    default:
        qt.parity = QSerialPort::NoParity;
    }
    qt.dataBits = QSerialPort::DataBits(settings.dataBits);
    qt.stopBits = settings.stopBits == u"2" ? QSerialPort::TwoStop
        : settings.stopBits == u"1.5"       ? QSerialPort::OneAndHalfStop
                                            : QSerialPort::OneStop;
    return qt;
}

QtSerialPort::QtSerialPort(QObject *parent) : QtSerialPort(QString(), parent) { }

QtSerialPort::QtSerialPort(QString device, QObject *parent)
    : SerialPort(parent), m_device(std::move(device))
{
    connect(&m_port, &QSerialPort::readyRead, this, &SerialPort::readyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
}

QString QtSerialPort::devicePath(int number)
{
    const QByteArray variable = "KESTRIN_COM" + QByteArray::number(number);
    const QString configured = qEnvironmentVariable(variable.constData());
    if (!configured.isEmpty())
        return configured;
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(number);
#else
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
#endif
}

QList<PortDescription> QtSerialPort::describePorts(const QList<int> &numbers) const
{
    const QList<QSerialPortInfo> available = QSerialPortInfo::availablePorts();
    QList<PortDescription> ports;
    for (int number : numbers) {
        PortDescription port {deviceName(number), {}, {}};
        // The configured name may be a stable link (/dev/serial/by-id/...) to
        // the device the system lists.
        const QString target = QFileInfo(port.device).canonicalFilePath();
        for (const QSerialPortInfo &info : available) {
            if (info.portName() == port.device || info.systemLocation() == port.device
                || (!target.isEmpty() && info.systemLocation() == target)) {
                port.description = info.description();
                port.serialNumber = info.serialNumber();
                break;
            }
        }
        ports.append(port);
    }
    return ports;
}

QList<PortDescription> QtSerialPort::systemPorts() const
{
    QList<PortDescription> ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        ports.append({info.systemLocation(), info.description(), info.serialNumber()});
    return ports;
}

std::unique_ptr<SerialPort> QtSerialPort::onDevice(const QString &device) const
{
    return std::make_unique<QtSerialPort>(device);
}

bool QtSerialPort::setCommPort(int number)
{
    if (m_port.isOpen() || number < 1 || number > highestPortNumber)
        return false;
    m_commPort = number;
    return true;
}

bool QtSerialPort::setSettings(const QString &settings)
{
    const auto parsed = parseSerialSettings(settings);
    if (!parsed)
        return false;
    m_settings = *parsed;
    return !m_port.isOpen() || applySettings();
}

bool QtSerialPort::applySettings()
{
    const QtLineSettings qt = qtLineSettings(m_settings);
#ifndef Q_OS_WIN
    // Only Windows drives a line with one and a half stop bits; elsewhere Qt
    // would quietly use one.
    if (qt.stopBits == QSerialPort::OneAndHalfStop)
        return false;
#endif
    return m_port.setBaudRate(qt.baud) && m_port.setParity(qt.parity)
        && m_port.setDataBits(qt.dataBits) && m_port.setStopBits(qt.stopBits)
        && m_port.setFlowControl(QSerialPort::NoFlowControl);
}

bool QtSerialPort::open()
{
    if (m_port.isOpen())
        return false;
    m_port.setPortName(deviceName(m_commPort));
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_port.clearError();
        return false;
    }
    if (!applySettings()) {
        m_port.close();
        m_port.clearError();
        return false;
    }
    // Whatever the line held before this open (a late reply to the last
    // session's command) belongs to no exchange of ours.
    m_port.clear(QSerialPort::Input);
    return true;
}

void QtSerialPort::close()
{
    if (m_port.isOpen())
        m_port.close();
    m_port.clearError();
}

bool QtSerialPort::write(const QByteArray &data)
{
    if (!m_port.isOpen())
        return false;
    if (m_port.write(data) != data.size())
        return false;
    // Hand the bytes to the driver now rather than on the next event-loop pass,
    // so a command goes out at once even if the caller does not return to the
    // event loop before it waits.
    m_port.flush();
    return true;
}

QByteArray QtSerialPort::readAll()
{
    if (!m_port.isOpen())
        return {};
    return m_port.readAll();
}

void QtSerialPort::onError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || !m_port.isOpen())
        return;
    // A vanished USB adapter or a closed pseudo-terminal reports the same read
    // error over and over while the port stays open: treat any error on an open
    // port as a lost device. Closing is deferred because the port is in the
    // middle of its own notification.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_port.isOpen())
                return;
            m_port.close();
            m_port.clearError();
            emit lost();
        },
        Qt::QueuedConnection);
}
