// Reading one of the calibration parameters (T0, R0, the span, TS, RS) from
// the transmitter before a run.

#include "session/transmitter_session.h"

#include "link/command_set.h"
#include "shell/leading_number.h"
#include "shell/number_format.h"

bool TransmitterSession::fetchValue(const Transmitter::Query &query, QString &value,
                                    const QString &wrongReply)
{
    if (send(Transmitter::command(query.command), Transmitter::QueryTimeout) == Answer::Silent) {
        m_boxes.report(QStringLiteral("Transmitter Is Not Responding, Check Com And Cables"));
        return false;
    }
    QString text;
    if (Transmitter::hasLabel(RxBuffer, query))
        text = QString::fromLatin1(Transmitter::takeValue(RxBuffer, query));
    // The value is written back into the transmitter by an undo: anything
    // but a number counts as a reply of another form.
    if (!isNumberText(text)) {
        m_boxes.report(wrongReply, false);
        return false;
    }
    value = wholeNumberText(text);
    return true;
}
