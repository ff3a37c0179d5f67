// Placeholder until the ambient handlers are connected.

#include "shell/main_window.h"

void MainWindow::connectAmbientHandlers()
{
}
