#include "line_log.h"

#include "link/command_set.h"

#include <algorithm>

QString visibleBytes(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        switch (code) {
        case '\r':
            text += QLatin1String("<CR>");
            break;
        case '\n':
            text += QLatin1String("<LF>");
            break;
        case Transmitter::EndOfText:
            text += QLatin1String("<ETX>");
            break;
        case Transmitter::Backspace:
            text += QLatin1String("<BS>");
            break;
        case '\t':
            text += QLatin1String("<TAB>");
            break;
        default:
            if (code >= 0x20 && code < 0x7f)
                text += QLatin1Char(byte);
            else
                text += QStringLiteral("<%1>").arg(code, 2, 16, QLatin1Char('0')).toUpper();
        }
    }
    return text;
}

LineLog::LineLog(std::size_t capacity, qsizetype entryLimit)
    : m_capacity(std::max<std::size_t>(capacity, 1)),
      m_entryLimit(std::max<qsizetype>(entryLimit, 1))
{
}

LineLog::Change LineLog::record(LineDirection direction, QByteArrayView bytes,
                                const QDateTime &time)
{
    Change change;
    // A note is one entry whole: cutting it could split a character.
    if (direction == LineDirection::Note) {
        if (m_entries.size() == m_capacity)
            m_entries.pop_front();
        m_entries.push_back({time, direction, bytes.toByteArray()});
        change.added = 1;
        return change;
    }
    // The transmitter's reply is complete with its prompt; until then the
    // pieces a slow line delivers belong together.
    if (!m_entries.empty() && direction == LineDirection::In) {
        LineEntry &last = m_entries.back();
        if (last.direction == LineDirection::In && !last.bytes.endsWith(Transmitter::Prompt)
            && last.bytes.size() < m_entryLimit && !bytes.isEmpty()) {
            const qsizetype room = m_entryLimit - last.bytes.size();
            last.bytes += bytes.first(std::min(room, bytes.size()));
            bytes = bytes.sliced(std::min(room, bytes.size()));
            change.extended = true;
        }
    }
    while (!bytes.isEmpty()) {
        const qsizetype length = std::min(m_entryLimit, bytes.size());
        if (m_entries.size() == m_capacity)
            m_entries.pop_front();
        m_entries.push_back({time, direction, bytes.first(length).toByteArray()});
        bytes = bytes.sliced(length);
        ++change.added;
    }
    return change;
}

QString LineLog::lineText(const LineEntry &entry)
{
    const QString time = entry.time.toString(QStringLiteral("HH:mm:ss.zzz"));
    if (entry.direction == LineDirection::Note)
        return time + QLatin1String("  -- ")
            + QString::fromUtf8(entry.bytes).replace(u'\n', u' ').replace(u'\r', u' ');
    const QLatin1String arrow(entry.direction == LineDirection::Out ? "->" : "<-");
    return time + QLatin1String("  ") + arrow + u' ' + visibleBytes(entry.bytes);
}

QString LineLog::text() const
{
    QString text;
    for (const LineEntry &entry : m_entries)
        text += lineText(entry) + u'\n';
    return text;
}
