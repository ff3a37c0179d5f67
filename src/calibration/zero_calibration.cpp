// The zero calibration: T0 and R0 from a run on zero gas, stored in the
// transmitter, and the undo that writes the earlier pair back.

#include "shell/main_window.h"

#include "calibration/progress_text.h"
#include "link/command_set.h"
#include "platform/serial_port.h"

#include <QAction>

void MainWindow::ZeroButton_Click()
{
    if (!m_port.isOpen()) {
        report(QStringLiteral("Com Port is not open!"));
        return;
    }
    if (!confirm(QStringLiteral("Are you ready with the zero gas?"), MessageIcon::Question))
        return;

    const QString wrongReply = QStringLiteral("Failed to fetch current Zero parameters, try again");
    if (!fetchValue(Transmitter::ZeroT0, PreviousT0, wrongReply)
        || !fetchValue(Transmitter::ZeroR0, PreviousR0, wrongReply))
        return;
    startRun(RunKind::Zero);
}

void MainWindow::StoreZeroPoint(QString &t0, QString &r0, CalibrationKind kind)
{
    storePoint(kind, Transmitter::ZeroT0.command, t0, Transmitter::ZeroR0.command, r0,
               QStringLiteral("Zero Point Set And Saved"));
}

void MainWindow::menuUndoZeroCalibration_Click()
{
    undoPoint(QStringLiteral("Undo Zero Calibration? Please Confirm!"), menuUndoZeroCalibration,
              [this] { StoreZeroPoint(PreviousT0, PreviousR0, CalibrationKind::UndoZero); });
}
