// The raw values of the last reading, shown and hidden by a double-click on
// the status frame.

#include "shell/main_window.h"

#include <QLabel>

void MainWindow::StatusFrame_DblClick()
{
    // Each label flips on its own; as all start hidden they move together.
    for (int index : {0, 1, 2, 3})
        Label1[size_t(index)]->setVisible(Label1[size_t(index)]->isHidden());
    for (QLabel *value : {RxLabel, TxLabel, ppmLabel, avgLabel})
        value->setVisible(value->isHidden());
}
