// The calibration report: the session's last zero and span on one page for
// the customer, printed or saved as PDF.

#include "shell/main_window.h"

#include "calibration/calibration_journal.h"
#include "calibration/calibration_report.h"
#include "link/command_set.h"
#include "platform/printer.h"
#include "platform/serial_port.h"
#include "shell/busy_pointer.h"

#include <algorithm>

void MainWindow::menuCalibrationReport_Click()
{
    if (refusedDuringCalibration())
        return;
    const QList<CalibrationEvent> events = m_journal ? m_journal->events() : QList<CalibrationEvent>();
    const bool calibrated = std::any_of(events.begin(), events.end(), [](const auto &e) {
        return e.kind == CalibrationKind::Zero || e.kind == CalibrationKind::Span;
    });
    if (!calibrated) {
        report(QStringLiteral("No calibration has been recorded in this session."), false);
        return;
    }
    // The type and serial number typed for the parameter sheet serve here too.
    if (TransmitterTypeAndSerial.isEmpty()) {
        TransmitterTypeAndSerial
            = m_dialogs.input(QStringLiteral("Enter Transmitter Type and Serial Number"),
                              QStringLiteral("Transmitter Type and..."), {});
        if (TransmitterTypeAndSerial.isEmpty())
            return;
    }
    // A transmitter that does not tell its version gets a "?" on the page;
    // that is no reason to hold the report back.
    if (m_transmitterVersion.isEmpty() && m_port.isOpen()) {
        BusyPointer busy(m_desktop);
        busy.show();
        if (send(Transmitter::command(Transmitter::Version), Transmitter::ListingTimeout)
            == Answer::Answered) {
            const QString version = QString::fromLatin1(Transmitter::versionOf(RxBuffer));
            if (version != u"?")
                m_transmitterVersion = version;
        }
    }

    const std::optional<CalibrationReport> page = calibrationReport(
        events, {m_clock.now(), TransmitterTypeAndSerial, m_transmitterVersion});
    const PrintOutcome outcome = m_printer.printReport(*page);
    if (outcome.result == PrintOutcome::Result::Saved)
        report(QStringLiteral("The calibration report has been saved in") + CommandTerminator
                   + outcome.detail,
               false);
    else if (outcome.result == PrintOutcome::Result::Failed)
        report(outcome.detail);
}
