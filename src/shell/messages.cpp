// The status line and the message conventions shared by every operation.

#include "main_window.h"

#include <QLabel>

void MainWindow::setStatus(const QString &text, StatusColour colour)
{
    setStatusColour(colour);
    Status->setText(text);
}

void MainWindow::setStatusColour(StatusColour colour)
{
    QPalette palette = Status->palette();
    palette.setColor(QPalette::WindowText, toQColor(colour));
    Status->setPalette(palette);
}

void MainWindow::report(const QString &text, bool beepFirst)
{
    if (beepFirst)
        m_desktop.beep();
    m_dialogs.message(text, MessageButtons::Ok, MessageIcon::None, applicationTitle);
}

bool MainWindow::confirm(const QString &text, MessageIcon icon, const QString &title)
{
    return m_dialogs.message(text, MessageButtons::OkCancel, icon, title) == MessageResult::Ok;
}

bool MainWindow::refusedDuringCalibration()
{
    if (!calibrationRunning())
        return false;
    report(QStringLiteral("Not possible during calibration!"));
    return true;
}
