#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <cstddef>
#include <deque>

// The bytes as a technician can read them: printable characters as they are,
// the control characters of this line by name in angle brackets (<CR>, <LF>,
// <ETX>, <BS>, <TAB>) and any other byte as two hex digits in angle brackets
// (<1B>, <FF>). The result never holds a line break.
QString visibleBytes(QByteArrayView bytes);

// Out to the transmitter, in from it, or a note of the program's own (where
// an operation stopped): the note's bytes are its UTF-8 text.
enum class LineDirection { Out, In, Note };

struct LineEntry {
    QDateTime time; // of the first byte
    LineDirection direction = LineDirection::Out;
    QByteArray bytes;
};

// Every write to the transmitter and every reply from it, oldest first, for
// finding cable and transmitter trouble. A reply that arrives in pieces joins
// one entry until its prompt; an entry that grows past its limit (a line
// that streams without a prompt) goes on in a new one, so no entry holds more
// than `entryLimit` bytes. At most `capacity`
// entries are kept: the oldest go first.
class LineLog {
public:
    // What one record did: bytes added to the newest entry, then new entries.
    struct Change {
        bool extended = false;
        std::size_t added = 0;
    };

    explicit LineLog(std::size_t capacity = 5000, qsizetype entryLimit = 256);

    Change record(LineDirection direction, QByteArrayView bytes, const QDateTime &time);
    void clear() { m_entries.clear(); }

    const std::deque<LineEntry> &entries() const { return m_entries; }
    std::size_t capacity() const { return m_capacity; }
    // "14:05:02.015  -> X<CR>": the time to the millisecond, the direction and
    // the bytes made visible.
    static QString lineText(const LineEntry &entry);
    // All entries, one a line.
    QString text() const;

private:
    std::deque<LineEntry> m_entries;
    std::size_t m_capacity;
    qsizetype m_entryLimit;
};
