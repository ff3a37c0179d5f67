// The calibration report: the session's checks and calibrations on one page
// for the customer, a certificate printed or saved as PDF, with the
// transmitter's earlier results from the record.

#include "shell/main_window.h"

#include "calibration/calibration_journal.h"
#include "calibration/calibration_report.h"
#include "link/command_set.h"
#include "link/port_texts.h"
#include "platform/printer.h"
#include "platform/serial_port.h"
#include "shell/busy_pointer.h"

#include <QFile>

namespace {

// The port of the event and what it stands for: the adapter's description
// and serial number while the same device is still behind it, else the
// device the record names.
QString portText(const CalibrationEvent &event, const SerialPort &port)
{
    if (!event.port.startsWith(u"COM"))
        return QStringLiteral("none");
    const int number = event.port.mid(3).toInt();
    PortDescription described = port.describePorts({number}).value(0);
    if (described.device != event.device)
        described = {event.device, {}, {}};
    return portTip(number, described);
}

QString recordText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

void MainWindow::menuCalibrationReport_Click()
{
    if (refusedDuringCalibration())
        return;
    const QList<CalibrationEvent> events
        = m_journal ? m_journal->events() : QList<CalibrationEvent>();
    const QList<qsizetype> shown = reportedEvents(events);
    if (shown.isEmpty()) {
        report(QStringLiteral("No check or calibration has been recorded in this session."), false);
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

    // What held for the last report is offered again, with the next
    // certificate number; the type and serial number typed for the parameter
    // sheet serve here too.
    Preferences kept = preferences();
    const ReportAnswers last = kept.reportAnswers();
    const QDateTime now = m_clock.now();
    ReportAnswers offered = last;
    offered.certificate = nextCertificateNumber(last.certificate, now.date().year());
    if (!TransmitterTypeAndSerial.isEmpty()) {
        const auto [type, serial] = splitTypeAndSerial(TransmitterTypeAndSerial);
        if (!type.isEmpty())
            offered.type = type;
        offered.serial = serial;
    }
    for (qsizetype i : shown)
        if (appliedGas(events[i]).value_or(0) > 0)
            offered.spanGasCertified = events[i].spanGas;
    ReportAnswers answers;
    for (;;) {
        const std::optional<QList<QString>> typed
            = m_dialogs.form(QStringLiteral("Calibration Report"), reportForm(offered));
        if (!typed)
            return;
        answers = reportAnswers(*typed);
        const QString problem = reportAnswersProblem(answers);
        if (problem.isEmpty())
            break;
        report(problem);
        offered = answers;
    }
    ReportAnswers keep = answers;
    keep.certificate = last.certificate; // counted once it is issued
    kept.setReportAnswers(keep);

    const CalibrationEvent &latest = events[shown.last()];
    QList<int> numbers;
    for (qsizetype i : shown)
        numbers << events[i].number;
    const ReportFacts facts {
        now, answers, m_transmitterVersion, portText(latest, m_port),
        transmitterHistory(recordText(m_journal->recordPath()), answers.serial, numbers)};
    const std::optional<CalibrationReport> page = calibrationReport(events, facts);
    const PrintOutcome outcome = m_printer.printReport(*page);
    if (outcome.result == PrintOutcome::Result::Printed
        || outcome.result == PrintOutcome::Result::Saved) {
        keep.certificate = answers.certificate;
        kept.setReportAnswers(keep);
        const Certificate issued {answers.certificate,  now,          latest.port,    latest.device,
                                  m_transmitterVersion, answers.type, answers.serial, {}};
        showRecordProblem(m_journal->addCertificate(issued, shown));
    }
    if (outcome.result == PrintOutcome::Result::Saved)
        report(QStringLiteral("The calibration report has been saved in") + CommandTerminator
                   + outcome.detail,
               false);
    else if (outcome.result == PrintOutcome::Result::Failed)
        report(outcome.detail);
}
