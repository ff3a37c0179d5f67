// The Com menu and what the window shows about the ports beyond the check
// marks: the device behind each Com item, and the link's state in the status
// bar. The opening and closing themselves are the session's.

#include "shell/main_window.h"

#include "bench/bench_window.h"
#include "link/port_texts.h"
#include "platform/serial_port.h"
#include "shell/settings_file.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

void MainWindow::menuCom_Click(int index)
{
    SelectComPort(index);
}

void MainWindow::SelectComPort(int index)
{
    // The session opens the port; the window remembers it for the next start.
    if (!m_session->selectPort(index))
        return;
    menuCloseComPort->setEnabled(true);
    const SerialPort &port = m_session->port();
    if (!writeSettingsFile(SettingsFileName, settingsText(port.commPort(), port.settings())))
        m_boxes.report(QStringLiteral("Failed to save com settings"), false);
}

void MainWindow::menuCloseComPort_Click()
{
    if (!m_session->closePort())
        return;
    menuCloseComPort->setEnabled(false);
    // With no file the next start opens no port.
    deleteSettingsFile(SettingsFileName);
}

void MainWindow::createLinkStateDisplay()
{
    m_linkState = new QLabel(this);
    m_linkState->setObjectName(QStringLiteral("linkState"));
    // A long device name (/dev/serial/by-id/...) is cut rather than widening
    // the window; the tool tip keeps it whole.
    m_linkState->setMinimumWidth(m_linkState->fontMetrics().horizontalAdvance(u'0') * 20);
    statusBar()->addPermanentWidget(m_linkState);

    menuComSettings->setToolTipsVisible(true);
    // Adapters are plugged in and pulled out while the program runs, so the
    // tips are made as the menu opens; not at start-up, where listing the
    // system's ports would only delay the window.
    connect(menuComSettings, &QMenu::aboutToShow, this, &MainWindow::describeComItems);
}

void MainWindow::describeComItems()
{
    const QList<PortDescription> ports = m_session->port().describePorts({1, 2, 3, 4});
    for (int n = 1; n <= 4; ++n) {
        const QString tip = portTip(n, ports.value(n - 1));
        menuCom[size_t(n)]->setStatusTip(tip);
        menuCom[size_t(n)]->setToolTip(tip);
    }
}

void MainWindow::showLink()
{
    const SerialPort &port = m_session->port();
    const int number = port.commPort();
    const bool open = port.isOpen();
    for (int n = 1; n <= 4; ++n)
        menuCom[size_t(n)]->setChecked(open && n == number);
    // A vanished device is waited for until the port is closed: closing
    // stays possible. Only the technician's closing disables it.
    if (open || m_session->waitingForDevice())
        menuCloseComPort->setEnabled(true);
    const LinkState state = open        ? LinkState::Open
        : m_session->waitingForDevice() ? LinkState::WaitingForDevice
                                        : LinkState::NoPort;
    const QString text = linkStateText(state, number, port.deviceName(number), port.settings());
    m_linkState->setText(text);
    m_linkState->setToolTip(text);
}

void MainWindow::menuOpenBench_Click()
{
    const SerialPort &own = m_session->port();
    const QList<PortDescription> ports = own.systemPorts();
    if (ports.isEmpty()) {
        m_boxes.report(QStringLiteral("The system lists no serial port."), false);
        return;
    }
    // The device this window has open cannot be the bench's as well.
    const QString ownDevice = own.isOpen() ? own.deviceName(own.commPort()) : QString();
    QList<Choice> choices;
    for (const PortDescription &port : ports) {
        QString text = port.device;
        if (!port.description.isEmpty())
            text += QStringLiteral(": ") + port.description;
        if (!port.serialNumber.isEmpty())
            text += QStringLiteral(", serial number ") + port.serialNumber;
        if (port.device == ownDevice)
            text += QStringLiteral(" (open in this window)");
        choices << Choice {text, false};
    }
    const std::optional<QList<bool>> ticks
        = m_dialogs.choose(QStringLiteral("Tick the ports of the transmitters in the chamber:"),
                           choices, MessageButtons::OkCancel, QStringLiteral("Open Bench"));
    if (!ticks || !ticks->contains(true))
        return;
    auto bench = std::make_unique<Bench>(m_dialogs, m_desktop, m_clock, m_printer);
    for (qsizetype i = 0; i < ports.size(); ++i) {
        if (!ticks->value(i))
            continue;
        std::unique_ptr<SerialPort> port = own.onDevice(ports[i].device);
        if (!port)
            continue;
        bench->add(std::move(port), ports[i].device, adapterText(ports[i]));
    }
    if (bench->size() == 0)
        return;
    // A window of its own, gone when closed, and with this one at the end.
    auto *window = new BenchWindow(std::move(bench), m_dialogs, m_desktop, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
}
