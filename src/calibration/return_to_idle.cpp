// The one way back to idle: the Cancel button, a poll without reply, a failed
// store and the end of every run all come through here.

#include "shell/main_window.h"

#include "calibration/stability_panel.h"
#include "measure/trend_view.h"
#include "platform/timer.h"

#include <QPushButton>
#include <QStatusBar>

void MainWindow::CancelButton_Click()
{
    // A run that had not taken its last sample ends here with nothing
    // written: say so at once, the status line keeps its text until the next
    // poll.
    if (sampling()) {
        const QString run = m_check == CalibrationKind::CheckZero ? QStringLiteral("Zero check")
            : m_check == CalibrationKind::CheckSpan             ? QStringLiteral("Span check")
            : ZeroCalibrationRunning                            ? QStringLiteral("Zero calibration")
                                                                : QStringLiteral("Span calibration");
        statusBar()->showMessage(run + QStringLiteral(" cancelled: nothing written"));
        m_stabilityPanel->endRun(QStringLiteral("cancelled"));
        m_trendView->addMarker(run.section(u' ', 0, 0).toLower() + QStringLiteral(" cancelled"));
    }
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
