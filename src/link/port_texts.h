#pragma once

#include "platform/serial_port.h"

#include <QString>

// What the technician reads about the ports beside the status line: the
// device behind each Com item, and the state of the link.

// "COM1 on /dev/ttyUSB0 (FT232R USB UART, serial number A50285BI)"; the part
// in brackets only as far as the system knows the adapter.
QString portTip(int number, const PortDescription &port);

// The adapter as a bench's row names it: "FT232R USB UART, A50285BI", as
// far as the system knows it.
QString adapterText(const PortDescription &port);

enum class LinkState {
    NoPort, // none opened yet, or closed by the technician
    Open,
    WaitingForDevice, // the open port's device vanished; it is reopened when it returns
};

// "COM1 on /dev/ttyUSB0, 9600,N,8,1" while open; the settings in upper case,
// as the settings file keeps them.
QString linkStateText(LinkState state, int number, const QString &device, const QString &settings);
