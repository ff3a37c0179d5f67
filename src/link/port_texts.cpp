#include "port_texts.h"

#include <QStringList>

namespace {

QString portOnDevice(int number, const QString &device)
{
    return QStringLiteral("COM%1 on %2").arg(number).arg(device);
}

} // namespace

QString portTip(int number, const PortDescription &port)
{
    QStringList known;
    if (!port.description.isEmpty())
        known << port.description;
    if (!port.serialNumber.isEmpty())
        known << QStringLiteral("serial number ") + port.serialNumber;
    const QString tip = portOnDevice(number, port.device);
    return known.isEmpty() ? tip : tip + QStringLiteral(" (") + known.join(u", ") + u')';
}

QString adapterText(const PortDescription &port)
{
    QStringList known {port.description, port.serialNumber};
    known.removeAll(QString());
    return known.join(u", ");
}

QString linkStateText(LinkState state, int number, const QString &device, const QString &settings)
{
    switch (state) {
    case LinkState::NoPort:
        return QStringLiteral("No Com port open");
    case LinkState::Open:
        return portOnDevice(number, device) + QStringLiteral(", ") + settings.toUpper();
    case LinkState::WaitingForDevice:
        return portOnDevice(number, device) + QStringLiteral(": waiting for the device to return");
    }
    return {};
}
