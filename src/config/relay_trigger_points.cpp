// The relay's ON and OFF levels: read from the transmitter, entered by the
// technician, written and stored.

#include "session/transmitter_session.h"

#include "config/relay_levels.h"
#include "link/command_set.h"
#include "platform/busy_pointer.h"
#include "platform/serial_port.h"
#include "shell/leading_number.h"
#include "shell/number_format.h"

bool TransmitterSession::readRelayLevels()
{
    // A reply of another form leaves the level known from before.
    const auto readLevel = [this](const Transmitter::Query &query, QString &level) {
        if (send(Transmitter::command(query.command), Transmitter::QueryTimeout) == Answer::Silent)
            return false;
        if (Transmitter::hasLabel(RxBuffer, query))
            level = QString::fromLatin1(Transmitter::takeValue(RxBuffer, query));
        return true;
    };
    const bool answered = readLevel(Transmitter::RelayHigh, RelayOnLevel)
        && readLevel(Transmitter::RelayLow, RelayOffLevel);
    // Levels the transmitter did not confirm are not drawn as if it held
    // them; the values stay, for the boxes that offer them.
    if (answered)
        showRelayLevels();
    else
        emit relayLevelsChanged(std::nullopt, std::nullopt);
    return answered;
}

void TransmitterSession::setRelayTriggerPoints()
{
    if (refusedDuringCalibration())
        return;
    if (!m_port.isOpen()) {
        m_boxes.report(QStringLiteral("Com Port is not open!"));
        return;
    }
    BusyPointer busy(m_desktop);
    const auto notResponding = [&] {
        busy.release();
        m_boxes.report(QStringLiteral("Transmitter Is Not Responding, Check Com And Cables"));
    };

    if (!readRelayLevels())
        return notResponding();

    double onLevel = 0;
    double offLevel = 0;
    for (;;) {
        onLevel = LeadingNumber(
            m_dialogs.input(QStringLiteral("Please Enter The Relay ON Level in ppm"),
                            QStringLiteral("RELAY ON LEVEL"), RelayOnLevel));
        RelayOnLevel = plainDecimalText(onLevel);
        // Cancel, an empty box and a text without a number all read as 0.
        if (onLevel == 0)
            return;
        offLevel = LeadingNumber(
            m_dialogs.input(QStringLiteral("Please Enter The Relay OFF Level in ppm"),
                            QStringLiteral("RELAY OFF LEVEL"), RelayOffLevel));
        RelayOffLevel = plainDecimalText(offLevel);
        if (offLevel == 0)
            return;
        // A level the transmitter's fields cannot hold would go out as a
        // run of hundreds of digits.
        if (!Transmitter::fitsAField(onLevel) || !Transmitter::fitsAField(offLevel)) {
            m_boxes.report(
                QStringLiteral("The relay levels must lie between -99999 and 999999 ppm."));
            continue;
        }
        if (relayLevelsApart(onLevel, offLevel))
            break;
        m_boxes.report(
            QStringLiteral("Relay ON level must be at least 10 ppm higher than OFF level"));
    }
    if (!m_boxes.confirm(relayConfirmationText(onLevel, offLevel), MessageIcon::None,
                         QStringLiteral("Realy Settings")))
        return;

    // A refused level must not end in "set and saved": the transmitter answers
    // a command it rejects with "ERROR" before its prompt.
    const LinkFailure failure {notResponding, [&] {
                                   busy.release();
                                   m_boxes.report(
                                       QStringLiteral("The transmitter rejected the relay "
                                                      "settings!\r"
                                                      "They have not been saved."));
                               }};
    if (!sendOrFail(Transmitter::command(Transmitter::RelayHigh.command, wholeNumberText(onLevel)),
                    Transmitter::RelayWriteTimeout, failure)
        || !sendOrFail(
            Transmitter::command(Transmitter::RelayLow.command, wholeNumberText(offLevel)),
            Transmitter::RelayWriteTimeout, failure))
        return;
    setStatus(QStringLiteral("Saving Relay Settings"), StatusColour::Blue);
    busy.show();
    if (!sendOrFail(Transmitter::command(Transmitter::RelayStore), Transmitter::StoreTimeout,
                    failure))
        return;

    busy.release();
    // Drawn as the transmitter holds them: in whole ppm, as they were sent.
    emit relayLevelsChanged(LeadingNumber(wholeNumberText(onLevel)),
                            LeadingNumber(wholeNumberText(offLevel)));
    const QString done = QStringLiteral("Relay Trigger Point set and saved");
    setStatus(done, StatusColour::Black);
    m_boxes.report(done, false);
}

void TransmitterSession::showRelayLevels()
{
    const auto level = [](const QString &text) -> std::optional<double> {
        if (text.isEmpty())
            return std::nullopt;
        return LeadingNumber(text);
    };
    emit relayLevelsChanged(level(RelayOnLevel), level(RelayOffLevel));
}
