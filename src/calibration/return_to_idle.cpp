// The one way back to idle: the Cancel button, a poll without reply, a failed
// store and the end of every run all come through here.

#include "shell/main_window.h"

#include "platform/timer.h"

#include <QPushButton>

void MainWindow::CancelButton_Click()
{
    ZeroCalibrationRunning = false;
    SpanCalibrationRunning = false;
    m_check.reset();
    m_runComplete = false;
    ZeroButton->setEnabled(true);
    SpanButton->setEnabled(true);
    CancelButton->setEnabled(false);
    TimeOutTimer->stop();
    ReplyTimedOut = false;
    showRunProgress();
}
