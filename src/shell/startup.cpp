// Start-up, shutdown, About and help of the window.

#include "main_window.h"

#include "link/command_set.h"
#include "platform/serial_port.h"
#include "platform/timer.h"
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
    NumberOfSamples = 100;
    TubeCoefficient = 0.2;

    // Writing the entries raises their change notifications like typing does,
    // so the corrected concentration is worked out from these values.
    Pressure = 1013;
    PressureText->setText(formatFixed(Pressure, 0));
    Temperature = 25;
    TemperatureText->setText(formatFixed(Temperature, 1));

    centreWindow();
    probePorts();
    openRememberedPort();
    showLinkState();
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
    for (int n = 1; n <= 4; ++n) {
        const bool usable = m_port.setCommPort(n) && m_port.open();
        if (m_port.isOpen())
            m_port.close();
        if (!usable)
            menuCom[size_t(n)]->setEnabled(false);
    }
}

void MainWindow::openRememberedPort()
{
    const std::optional<QByteArray> text = readSettingsFile(SettingsFileName);
    if (!text) {
        setStatus(QStringLiteral("Com Port Closed"), StatusColour::Red);
        return;
    }
    const RememberedPort remembered = parseSettingsText(*text);
    if (!m_port.setSettings(remembered.settings)) {
        report(QStringLiteral("Invalid Com Settings, Select a Free Com Port"));
        return;
    }
    if (m_port.isOpen())
        m_port.close();
    const QString openError
        = QStringLiteral("Error during opening the port, Select a Free Com Port");
    if (!m_port.setCommPort(remembered.number)) {
        report(openError);
        return;
    }
    // The end-of-text character clears whatever the transmitter had half-read.
    if (!m_port.open() || !m_port.write(QByteArray(1, Transmitter::EndOfText))) {
        // Never leave a port open that the Com menu does not show as open.
        m_port.close();
        report(openError);
        return;
    }
    if (remembered.number >= 1 && remembered.number <= 4)
        menuCom[size_t(remembered.number)]->setChecked(true);
    menuCloseComPort->setEnabled(true);
    setStatus(QStringLiteral("Com Port is Open"), StatusColour::Black);
}

void MainWindow::Form_Unload()
{
    finishAsLeft();
    // A closed window waits for no device.
    m_reopenTimer->stop();
    if (m_port.isOpen())
        m_port.close();
    showLinkState();
}

void MainWindow::menuExit_Click()
{
    if (refusedDuringCalibration())
        return;
    finishAsLeft();
    m_desktop.endProgram();
}

void MainWindow::menuAbout_Click()
{
    report(QStringLiteral("Calibrator Kestrin") + CommandTerminator
               + QStringLiteral("                    Version 6.10   "),
           false);
}

void MainWindow::menuContents_Click()
{
    m_dialogs.showHelpContents(m_desktop.executableName() + QStringLiteral(".HLP"));
}
