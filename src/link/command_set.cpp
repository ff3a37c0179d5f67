#include "command_set.h"

namespace Transmitter {

QByteArray command(QByteArrayView letters, const QString &value)
{
    return letters.toByteArray() + value.toLatin1() + CarriageReturn;
}

bool hasLabel(const QByteArray &reply, const Query &query)
{
    return reply.mid(query.labelPosition - 1, query.label.size()) == query.label;
}

QByteArray takeValue(QByteArray &reply, const Query &query)
{
    reply.chop(3);
    return reply.mid(query.valuePosition - 1);
}

QByteArray versionOf(const QByteArray &reply)
{
    if (!reply.startsWith("VER\r\nSTD"))
        return "?";
    return reply.mid(5, 8);
}

std::optional<QByteArray> listingOf(const QByteArray &reply)
{
    if (!reply.startsWith(Parameters.toByteArray()))
        return std::nullopt;
    QByteArray listing = reply.mid(7);
    listing.chop(1);
    return listing;
}

bool endsWithError(const QByteArray &reply)
{
    return reply.right(8).toUpper() == "ERROR\r\n>";
}

} // namespace Transmitter
