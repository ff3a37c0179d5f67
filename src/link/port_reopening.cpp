// A device that vanishes under the open port (a pulled USB adapter, a
// transmitter switched off with its adapter) and its return. The window does
// not give the port up: it tries the same port again every second until the
// device is back or the technician chooses another port or closes it.

#include "shell/main_window.h"

#include "link/command_set.h"
#include "measure/trend_view.h"
#include "platform/serial_port.h"
#include "platform/timer.h"

#include <QAction>
#include <QLabel>

namespace {

// Trying to open a missing device costs next to nothing; once a second finds
// the adapter again about as soon as the system has set it up.
constexpr std::chrono::milliseconds ReopenInterval {1000};

} // namespace

void MainWindow::createPortReopening()
{
    m_reopenTimer = m_clock.createTimer();
    m_reopenTimer->setInterval(int(ReopenInterval.count()));
    m_reopenTimer->setTick([this] { reopenLostPort(); });
}

bool MainWindow::waitingForDevice() const
{
    return m_reopenTimer->isEnabled();
}

void MainWindow::onPortLost()
{
    // The technician did not close the port: the settings file stays, and
    // "&Close Com Port" stays usable, as the way to stop waiting.
    m_desktop.beep();
    for (int n = 1; n <= 4; ++n)
        menuCom[size_t(n)]->setChecked(false);
    menuCloseComPort->setEnabled(true);
    ppmDisplay->setText(QStringLiteral("????"));
    m_trendView->addGap();
    setStatus(QStringLiteral("Com Port is Closed"), StatusColour::Red);
    // A run cannot go on without its readings, and nothing of a broken run
    // is stored.
    CancelButton_Click();
    m_reopenTimer->start();
    showLinkState();
}

void MainWindow::reopenLostPort()
{
    if (!m_port.open())
        return;
    // As at start-up: the end-of-text character clears whatever the
    // transmitter had half-read when the line went.
    if (!m_port.write(QByteArray(1, Transmitter::EndOfText))) {
        m_port.close();
        return;
    }
    m_reopenTimer->stop();
    const int number = m_port.commPort();
    if (number >= 1 && number <= 4)
        menuCom[size_t(number)]->setChecked(true);
    menuCloseComPort->setEnabled(true);
    setStatus(QStringLiteral("Com Port is Open"), StatusColour::Black);
    showLinkState();
    // The polling timer never stopped: its next tick finds the port open.
}
