// Choosing, opening and closing the serial port from the Com menu.

#include "shell/main_window.h"

#include "link/command_set.h"
#include "platform/serial_port.h"
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
    if (m_port.isOpen())
        m_port.close();
    for (int n = 1; n <= 4; ++n)
        menuCom[size_t(n)]->setChecked(false);

    if (!m_port.setCommPort(index) || !m_port.open()) {
        report(QStringLiteral("The Com Port is not available"));
        return;
    }
    // A backspace first, so that a half-typed command in the transmitter is
    // wiped before the first real one.
    m_port.write(QByteArray(1, Transmitter::Backspace));
    menuCom[size_t(index)]->setChecked(true);
    menuCloseComPort->setEnabled(true);
    setStatus(QStringLiteral("Com Port is Open"), StatusColour::Black);

    if (!writeSettingsFile(SettingsFileName, settingsText(m_port.commPort(), m_port.settings())))
        report(QStringLiteral("Failed to save com settings"), false);
}

void MainWindow::menuCloseComPort_Click()
{
    if (refusedDuringCalibration())
        return;
    m_port.close();
    menuCloseComPort->setEnabled(false);
    for (int n = 1; n <= 4; ++n)
        menuCom[size_t(n)]->setChecked(false);
    ppmDisplay->setText(QStringLiteral("????"));
    setStatus(QStringLiteral("Com Port is Closed"), StatusColour::Red);
    // With no file the next start opens no port.
    deleteSettingsFile(SettingsFileName);
}

void MainWindow::onPortLost()
{
    // The device went away under us. Show the port as closed, but keep the
    // settings file: the technician did not choose to close it, and the next
    // start should find the adapter again.
    m_desktop.beep();
    menuCloseComPort->setEnabled(false);
    for (int n = 1; n <= 4; ++n)
        menuCom[size_t(n)]->setChecked(false);
    ppmDisplay->setText(QStringLiteral("????"));
    setStatus(QStringLiteral("Com Port is Closed"), StatusColour::Red);
    // A run cannot go on without its readings.
    CancelButton_Click();
}
