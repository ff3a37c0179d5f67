// Start-up, shutdown, About and help of the window.

#include "main_window.h"

#include "link/command_set.h"
#include "platform/serial_port.h"
#include "shell/number_format.h"
#include "shell/screen_fit.h"
#include "shell/settings_file.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>

void MainWindow::Form_Load()
{
    CommandTerminator = QStringLiteral("\r");
    LineFeed = QStringLiteral("\n");
    SettingsFileName = m_desktop.executableName() + QStringLiteral(".ini");
    m_session->NumberOfSamples = 100;
    m_session->TubeCoefficient = 0.2;

    // Writing the entries raises their change notifications like typing does,
    // so the corrected concentration is worked out from these values.
    Pressure = 1013;
    PressureText->setText(formatFixed(Pressure, 0));
    Temperature = 25;
    TemperatureText->setText(formatFixed(Temperature, 1));

    centreWindow();
    probePorts();
    openRememberedPort();
    showLink();
}

void MainWindow::centreWindow()
{
    // The window keeps to the screen from here on: it owns the helper.
    (new ScreenFit(this, [this] { return m_desktop.screenArea(); }))->centre();
}

// A port that cannot be opened now (missing, or held by another program) is
// greyed out in the Com menu for the rest of the run.
void MainWindow::probePorts()
{
    SerialPort &port = m_session->port();
    for (int n = 1; n <= 4; ++n) {
        const bool usable = port.setCommPort(n) && port.open();
        if (port.isOpen())
            port.close();
        if (!usable)
            menuCom[size_t(n)]->setEnabled(false);
    }
}

void MainWindow::openRememberedPort()
{
    const std::optional<QByteArray> text = readSettingsFile(SettingsFileName);
    if (!text) {
        m_session->setStatus(QStringLiteral("Com Port Closed"), StatusColour::Red);
        return;
    }
    const RememberedPort remembered = parseSettingsText(*text);
    if (!m_session->port().setSettings(remembered.settings)) {
        m_boxes.report(QStringLiteral("Invalid Com Settings, Select a Free Com Port"));
        return;
    }
    // The end-of-text character clears whatever the transmitter had half-read.
    if (!m_session->openPort(remembered.number, Transmitter::EndOfText)) {
        m_boxes.report(QStringLiteral("Error during opening the port, Select a Free Com Port"));
        return;
    }
    menuCloseComPort->setEnabled(true);
    m_session->setStatus(QStringLiteral("Com Port is Open"), StatusColour::Black);
}

void MainWindow::Form_Unload()
{
    m_session->shutDown();
}

void MainWindow::menuExit_Click()
{
    if (m_session->refusedDuringCalibration())
        return;
    m_session->finishAsLeft();
    m_desktop.endProgram();
}

void MainWindow::menuAbout_Click()
{
    m_boxes.report(QStringLiteral("Calibrator Kestrin") + CommandTerminator
                       + QStringLiteral("                    Version 6.10   "),
                   false);
}

void MainWindow::menuContents_Click()
{
    m_dialogs.showHelpContents(m_desktop.executableName() + QStringLiteral(".HLP"));
}
