// The replies to the value queries (T0, R0, SPAN, TS, RS, RH, RL): the label
// test at its fixed place and the value taken after it. A value that the
// program keeps as a number is written back into the transmitter by an undo,
// so whatever a reply holds, the command built from it must be the command
// letters, a whole number and the carriage return, and nothing else.

#include "fuzz_check.h"
#include "link/command_set.h"
#include "shell/leading_number.h"
#include "shell/number_format.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QString>

#include <cmath>

namespace {

constexpr Transmitter::Query queries[] = {
    Transmitter::ZeroT0,   Transmitter::ZeroR0, Transmitter::SpanConcentration,
    Transmitter::SpanTS,   Transmitter::SpanRS, Transmitter::RelayHigh,
    Transmitter::RelayLow,
};

bool isWholeNumberCommand(const QByteArray &command, QByteArrayView letters)
{
    static const QRegularExpression wholeNumber(
        QRegularExpression::anchoredPattern(QStringLiteral("-?[0-9]+\r")));
    return command.startsWith(letters.toByteArray())
        && wholeNumber.match(QString::fromLatin1(command.sliced(letters.size()))).hasMatch();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray reply(reinterpret_cast<const char *>(data), qsizetype(size));
    Transmitter::endsWithError(reply);

    for (const Transmitter::Query &query : queries) {
        if (!Transmitter::hasLabel(reply, query))
            continue;
        FUZZ_CHECK(QByteArrayView(reply).sliced(query.labelPosition - 1).startsWith(query.label));
        QByteArray buffer = reply;
        const QByteArray value = Transmitter::takeValue(buffer, query);
        FUZZ_CHECK(buffer.size() == reply.size() - 3);
        FUZZ_CHECK(value.size() <= reply.size());

        // The calibration values are kept only when they are numbers, as
        // whole-number texts.
        const QString text = QString::fromLatin1(value);
        if (!isNumberText(text))
            continue;
        const QString whole = wholeNumberText(text);
        const QByteArray command = Transmitter::command(query.command, whole);
        FUZZ_CHECK(isWholeNumberCommand(command, query.command));
        const double number = LeadingNumber(text);
        if (std::fabs(number) < 1e15)
            FUZZ_CHECK(std::fabs(LeadingNumber(whole) - number) <= 0.5);
    }
    return 0;
}
