// Writing a zero or span point into the transmitter: the two values, "SAVE"
// under the busy pointer, then "NOTEST"; and the undo that writes the
// earlier pair back.

#include "session/transmitter_session.h"

#include "link/command_set.h"
#include "platform/busy_pointer.h"
#include "platform/serial_port.h"
#include "shell/leading_number.h"
#include "shell/number_format.h"

namespace {

// A whole number that fits the transmitter's six-character signal fields.
bool isStorableValue(const QString &wholeNumber)
{
    if (!isNumberText(wholeNumber))
        return false;
    return Transmitter::fitsAField(LeadingNumber(wholeNumber));
}

} // namespace

void TransmitterSession::storePoint(CalibrationKind kind, QByteArrayView firstCommand,
                                    QString &first, QByteArrayView secondCommand, QString &second,
                                    const QString &doneMessage)
{
    // The readings after the previous store stop here: this one changes them.
    finishAsLeft();
    using Outcome = StoreResult::Outcome;
    // Every end has its row in the record before its box: a box may stand for
    // hours, and the program may not outlive it.
    const auto record = [&](Outcome outcome, const QString &detail) {
        recordCalibration(kind, {outcome, detail}, first, second);
    };
    if (!m_port.isOpen()) {
        record(Outcome::PortClosed, {});
        m_boxes.report(QStringLiteral("Com port not open"));
        return;
    }
    first = wholeNumberText(first);
    second = wholeNumberText(second);
    // A run over readings such as "9e99" gives a mean that no transmitter
    // field holds; it must not be sent, let alone saved.
    if (!isStorableValue(first) || !isStorableValue(second)) {
        const QString reason = QStringLiteral("The new values are outside what the transmitter "
                                              "can hold (-99999 to 999999).");
        record(Outcome::Refused, reason);
        setStatus(QStringLiteral("Parameters not stored"), StatusColour::Red);
        m_boxes.report(reason + QStringLiteral("\rNothing has been sent."));
        returnToIdle();
        return;
    }

    BusyPointer busy(m_desktop);
    QByteArray command; // the one on the line, for the record
    const auto sent = [&command](const QByteArray &bytes) {
        command = bytes.chopped(1); // without its carriage return
        return bytes;
    };
    // The transmitter answers a value or a store it refuses with "ERROR"
    // before its prompt. Going on would report a point as saved that the
    // transmitter never took.
    const LinkFailure failure {
        [&] {
            record(Outcome::NotAnswered, QString::fromLatin1(command));
            setStatus(QStringLiteral("Transmitter Not Responding, Check Com and Cables"),
                      StatusColour::Red);
            returnToIdle();
        },
        [&] {
            record(Outcome::Rejected, QString::fromLatin1(command));
            busy.release();
            setStatus(QStringLiteral("Parameters not stored"), StatusColour::Red);
            m_boxes.report(QStringLiteral("The transmitter rejected the parameters!\r"
                                          "They have not been saved."));
            returnToIdle();
        },
    };
    if (!sendOrFail(sent(Transmitter::command(firstCommand, first)), Transmitter::ValueWriteTimeout,
                    failure)
        || !sendOrFail(sent(Transmitter::command(secondCommand, second)),
                       Transmitter::ValueWriteTimeout, failure))
        return;

    busy.show();
    setStatus(QStringLiteral("Saving Parameters"), StatusColour::Black);
    if (!sendOrFail(sent(Transmitter::command(Transmitter::Store)), Transmitter::StoreTimeout,
                    failure))
        return;

    setStatus(QStringLiteral("Saving OK"), StatusColour::Blue);
    // Only the prompt counts after "NOTEST": the parameters are saved.
    if (!sendOrFail(sent(Transmitter::command(Transmitter::NoTest)), Transmitter::NoTestTimeout,
                    {failure.silent, {}}))
        return;
    // The readings from now on show what the store left; those behind the
    // box below count too.
    record(Outcome::Stored, {});

    // The normal pointer comes back before the box, so the technician does
    // not click OK under an hourglass.
    busy.release();
    m_boxes.report(doneMessage, false);
}

void TransmitterSession::undoPoint(const QString &question, bool &available,
                                   const std::function<void()> &store)
{
    if (!m_port.isOpen()) {
        m_boxes.report(QStringLiteral("Com Port is not open!"));
        return;
    }
    if (!m_boxes.confirm(question, MessageIcon::Question))
        return;
    store();
    // One undo per run, whatever the store achieved.
    setUndo(available, false);
    if (send(Transmitter::command(Transmitter::NoTest), Transmitter::NoTestTimeout)
        == Answer::Silent)
        setStatus(QStringLiteral("Transmitter Not Responding, Check Com and Cables"),
                  StatusColour::Red);
}

void TransmitterSession::setUndo(bool &available, bool value)
{
    available = value;
    emit undoChanged();
}
