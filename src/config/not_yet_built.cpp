// The configuration operations are being built; until then their menu items
// do nothing.

#include "shell/main_window.h"

void MainWindow::menuOpenParameterFile_Click() { }
void MainWindow::menuPrintTransmitterParameters_Click() { }
void MainWindow::menuRelayTriggerPoint_Click() { }
