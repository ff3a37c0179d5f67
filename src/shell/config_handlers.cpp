// The configuration menu items: each is the session's operation.

#include "shell/main_window.h"

void MainWindow::menuOpenParameterFile_Click()
{
    m_session->downloadParameterFile();
}

void MainWindow::menuPrintTransmitterParameters_Click()
{
    m_session->printParameters();
}

void MainWindow::menuRelayTriggerPoint_Click()
{
    m_session->setRelayTriggerPoints();
}
