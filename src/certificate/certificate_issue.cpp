// The certificate of a session: its checks and calibrations on one page for
// the customer, printed or saved as PDF, with the transmitter's earlier
// results from the record.

#include "session/transmitter_session.h"

#include "record/calibration_journal.h"
#include "certificate/calibration_report.h"
#include "link/command_set.h"
#include "link/port_texts.h"
#include "platform/busy_pointer.h"
#include "platform/printer.h"
#include "platform/serial_port.h"

#include <QFile>

namespace {

// The port of the event and what it stands for: the adapter's description
// and serial number while the same device is still behind it, else the
// device the record names.
QString portText(const CalibrationEvent &event, const SerialPort &port)
{
    if (!event.port.startsWith(u"COM"))
        return event.port.isEmpty() ? QStringLiteral("none") : event.port + u' ' + event.device;
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

QList<CalibrationEvent> TransmitterSession::events() const
{
    return m_journal ? m_journal->events() : QList<CalibrationEvent>();
}

void TransmitterSession::askVersion()
{
    // A transmitter that does not tell its version gets a "?" on the page;
    // that is no reason to hold the report back.
    if (!m_version.isEmpty() || !m_port.isOpen())
        return;
    BusyPointer busy(m_desktop);
    busy.show();
    if (send(Transmitter::command(Transmitter::Version), Transmitter::ListingTimeout)
        == Answer::Answered) {
        const QString version = QString::fromLatin1(Transmitter::versionOf(RxBuffer));
        if (version != u"?")
            m_version = version;
    }
}

PrintOutcome TransmitterSession::issueCertificate(const ReportAnswers &answers, Printer &printer)
{
    const QList<CalibrationEvent> session = events();
    const QList<qsizetype> shown = reportedEvents(session);
    if (shown.isEmpty())
        return {PrintOutcome::Result::Cancelled, {}};
    const QDateTime now = m_clock.now();
    const CalibrationEvent &latest = session[shown.last()];
    QList<int> numbers;
    for (qsizetype i : shown)
        numbers << session[i].number;
    const ReportFacts facts {
        now, answers, m_version, portText(latest, m_port),
        transmitterHistory(recordText(m_journal->recordPath()), answers.serial, numbers)};
    const std::optional<CalibrationReport> page = calibrationReport(session, facts);
    const PrintOutcome outcome = printer.printReport(*page);
    if (outcome.result == PrintOutcome::Result::Printed
        || outcome.result == PrintOutcome::Result::Saved) {
        const Certificate issued {answers.certificate, now,          latest.port,    latest.device,
                                  m_version,           answers.type, answers.serial, {}};
        showRecordProblem(m_journal->addCertificate(issued, shown));
    }
    return outcome;
}
