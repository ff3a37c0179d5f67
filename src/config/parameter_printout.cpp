// Printing a sheet of the transmitter's parameters.

#include "session/transmitter_session.h"

#include "config/parameter_sheet.h"
#include "link/command_set.h"
#include "platform/busy_pointer.h"
#include "platform/printer.h"
#include "platform/serial_port.h"

namespace {

PrintOutcome print(Printer &printer, const ParameterSheet &sheet)
{
    QString font = sheet.lines.value(0).fontName;
    printer.beginDocument();
    printer.setPosition(sheetMarginTwips, sheetMarginTwips);
    printer.setFontName(font);
    printer.setFontSize(sheetFontSize);
    for (const SheetLine &line : sheet.lines) {
        if (line.fontName != font)
            printer.setFontName(font = line.fontName);
        printer.printLine(line.column, line.text);
    }
    return printer.endDocument();
}

} // namespace

void TransmitterSession::printParameters()
{
    if (refusedDuringCalibration())
        return;
    // The type and serial number belong to one sheet: the box opens empty.
    TransmitterTypeAndSerial.clear();
    if (!m_port.isOpen()) {
        m_boxes.report(QStringLiteral("Com Port Not Open"));
        return;
    }
    const QString dateAndTime
        = m_dialogs.input(QStringLiteral("Confirm Date and Time"), QStringLiteral("Date and Time"),
                          dateAndTimeText(m_clock.now()));
    if (dateAndTime.isEmpty())
        return;
    TransmitterTypeAndSerial
        = m_dialogs.input(QStringLiteral("Enter Transmitter Type and Serial Number"),
                          QStringLiteral("Transmitter Type and..."), TransmitterTypeAndSerial);
    if (TransmitterTypeAndSerial.isEmpty())
        return;

    BusyPointer busy(m_desktop);
    busy.show();
    setStatus(QStringLiteral("Printing"), StatusColour::Blue);
    const auto notResponding = [&] {
        busy.release();
        m_boxes.report(QStringLiteral("Transmitter Not Responding, Check Com And Cables"));
    };
    const QString cannotRead = QStringLiteral("Can Not Read Parameters From Transmitter");

    if (send(Transmitter::command(Transmitter::Version), Transmitter::ListingTimeout)
        == Answer::Silent)
        return notResponding();
    const QString version = QString::fromLatin1(Transmitter::versionOf(RxBuffer));
    if (version != u"?")
        m_version = version;
    if (send(Transmitter::command(Transmitter::Parameters), Transmitter::ListingTimeout)
        == Answer::Silent)
        return notResponding();
    const std::optional<QByteArray> listing = Transmitter::listingOf(RxBuffer);
    if (!listing) {
        busy.release();
        m_boxes.report(cannotRead);
        return;
    }

    const ParameterSheet sheet = parameterSheet(
        {dateAndTime, TransmitterTypeAndSerial, version, RxValue, TxValue}, *listing);
    const PrintOutcome outcome = print(m_printer, sheet);
    busy.release();
    switch (outcome.result) {
    case PrintOutcome::Result::Printed:
        setStatus(QStringLiteral("Printing Completed"), StatusColour::Blue);
        break;
    case PrintOutcome::Result::Saved:
        setStatus(QStringLiteral("Printing Completed"), StatusColour::Blue);
        m_boxes.report(QStringLiteral("The parameter sheet has been saved in\r") + outcome.detail,
                       false);
        break;
    case PrintOutcome::Result::Cancelled:
        setStatus(QStringLiteral("Printing Cancelled"), StatusColour::Black);
        break;
    case PrintOutcome::Result::Failed:
        setStatus(QStringLiteral("Printing Failed"), StatusColour::Red);
        m_boxes.report(outcome.detail);
        break;
    }
    if (!sheet.listingComplete)
        m_boxes.report(cannotRead);
}
