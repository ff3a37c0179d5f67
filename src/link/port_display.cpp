// What the window shows about the ports beyond the check marks: the device
// behind each Com item, and the link's state in the status bar.

#include "shell/main_window.h"

#include "link/port_texts.h"
#include "platform/serial_port.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

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
    const QList<PortDescription> ports = m_port.describePorts({1, 2, 3, 4});
    for (int n = 1; n <= 4; ++n) {
        const QString tip = portTip(n, ports.value(n - 1));
        menuCom[size_t(n)]->setStatusTip(tip);
        menuCom[size_t(n)]->setToolTip(tip);
    }
}

void MainWindow::showLinkState()
{
    const LinkState state = m_port.isOpen() ? LinkState::Open
        : waitingForDevice()                ? LinkState::WaitingForDevice
                                            : LinkState::NoPort;
    const int number = m_port.commPort();
    const QString text = linkStateText(state, number, m_port.deviceName(number), m_port.settings());
    m_linkState->setText(text);
    m_linkState->setToolTip(text);
}
