// Choosing, opening and closing the serial port from the Com menu.

#include "shell/main_window.h"

#include "link/command_set.h"
#include "platform/serial_port.h"
#include "platform/timer.h"
#include "shell/settings_file.h"

#include <QAction>
#include <QLabel>

void MainWindow::menuCom_Click(int index)
{
    SelectComPort(index);
}

void MainWindow::SelectComPort(int index)
{
    if (refusedDuringCalibration())
        return;
    // The technician's choice ends any wait for a vanished device.
    m_reopenTimer->stop();
    if (m_port.isOpen())
        m_port.close();
    for (int n = 1; n <= 4; ++n)
        menuCom[size_t(n)]->setChecked(false);

    if (!m_port.setCommPort(index) || !m_port.open()) {
        showLinkState();
        report(QStringLiteral("The Com Port is not available"));
        return;
    }
    // A backspace first, so that a half-typed command in the transmitter is
    // wiped before the first real one.
    m_port.write(QByteArray(1, Transmitter::Backspace));
    menuCom[size_t(index)]->setChecked(true);
    menuCloseComPort->setEnabled(true);
    setStatus(QStringLiteral("Com Port is Open"), StatusColour::Black);
    showLinkState();

    if (!writeSettingsFile(SettingsFileName, settingsText(m_port.commPort(), m_port.settings())))
        report(QStringLiteral("Failed to save com settings"), false);
}

void MainWindow::menuCloseComPort_Click()
{
    if (refusedDuringCalibration())
        return;
    m_reopenTimer->stop();
    m_port.close();
    menuCloseComPort->setEnabled(false);
    for (int n = 1; n <= 4; ++n)
        menuCom[size_t(n)]->setChecked(false);
    ppmDisplay->setText(QStringLiteral("????"));
    setStatus(QStringLiteral("Com Port is Closed"), StatusColour::Red);
    showLinkState();
    // With no file the next start opens no port.
    deleteSettingsFile(SettingsFileName);
}
