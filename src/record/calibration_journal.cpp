#include "calibration_journal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// Past the flush, the bytes are still only in the system's cache: a power cut
// would lose the row the transmitter already acts on.
bool syncToDisk(QFile &file)
{
#ifdef Q_OS_UNIX
    return ::fsync(file.handle()) == 0;
#else
    Q_UNUSED(file);
    return true;
#endif
}

// Rows are a few hundred bytes, so the last event number is in the file's
// tail; only a file without a number there is read whole.
int lastNumberIn(QFile &file)
{
    constexpr qint64 tail = 64 * 1024;
    const auto highest = [](const QByteArray &text) {
        int last = 0;
        for (const QByteArray &line : text.split('\n'))
            last = std::max(last, line.left(line.indexOf(',')).toInt());
        return last;
    };
    const qint64 size = file.size();
    if (size > tail) {
        file.seek(size - tail);
        QByteArray text = file.read(tail);
        text.remove(0, text.indexOf('\n') + 1); // a part line
        if (const int last = highest(text); last > 0)
            return last;
    }
    file.seek(0);
    return highest(file.readAll());
}

} // namespace

CalibrationJournal::CalibrationJournal(QString recordPath, std::chrono::milliseconds lockTimeout)
    : m_path(std::move(recordPath)), m_lockTimeout(lockTimeout)
{
}

bool CalibrationJournal::add(CalibrationEvent event)
{
    // A check wrote nothing: what follows it is no "as left" of anything.
    const bool stored
        = event.result.outcome == StoreResult::Outcome::Stored && !isCheck(event.kind);
    const quint64 id = m_nextId++;
    event.number = 0; // the record gives it
    m_entries.append({id, event});
    m_unwritten.append({id, false, event, {}, {}});
    if (stored) {
        m_asLeftId = id;
        m_asLeft.clear();
    }
    const bool written = writeUnwritten();
    forgetSuperseded();
    return written;
}

bool CalibrationJournal::noteReading(double ppm, const QDateTime &time)
{
    if (m_asLeftId == 0)
        return true;
    m_asLeft << ppm;
    m_asLeftTime = time;
    if (Entry *e = entry(m_asLeftId))
        e->event.asLeft = m_asLeft;
    if (m_asLeft.size() < asLeftReadings)
        return true;
    return finishAsLeft();
}

bool CalibrationJournal::finishAsLeft()
{
    const quint64 id = std::exchange(m_asLeftId, 0);
    const QList<double> readings = std::exchange(m_asLeft, {});
    Entry *e = entry(id);
    if (!e || readings.isEmpty())
        return writeUnwritten(); // a last try for rows still waiting
    e->event.asLeft = readings;
    e->event.asLeftTime = m_asLeftTime;
    m_unwritten.append({id, true, e->event, {}, {}});
    return writeUnwritten();
}

bool CalibrationJournal::addCertificate(const Certificate &certificate,
                                        const QList<qsizetype> &eventIndexes)
{
    Row row;
    row.certificate = certificate;
    for (qsizetype i : eventIndexes)
        if (i >= 0 && i < m_entries.size())
            row.covers << m_entries[i].id;
    m_unwritten.append(row);
    return writeUnwritten();
}

QList<CalibrationEvent> CalibrationJournal::events() const
{
    QList<CalibrationEvent> events;
    for (const Entry &e : m_entries)
        events << e.event;
    return events;
}

std::pair<QString, QString> CalibrationJournal::valuesLeftBy(CalibrationKind kind) const
{
    for (auto e = m_entries.crbegin(); e != m_entries.crend(); ++e) {
        if (e->event.kind != kind)
            continue;
        if (e->event.result.outcome != StoreResult::Outcome::Stored)
            return {};
        return {e->event.afterT, e->event.afterR};
    }
    return {};
}

CalibrationJournal::Entry *CalibrationJournal::entry(quint64 id)
{
    const auto found = std::find_if(m_entries.begin(), m_entries.end(),
                                    [id](const Entry &e) { return e.id == id; });
    return found == m_entries.end() ? nullptr : &*found;
}

bool CalibrationJournal::writeUnwritten()
{
    if (m_unwritten.isEmpty())
        return true;
    if (m_path.isEmpty()) {
        m_problem = QStringLiteral("The calibration record could not be written: there is no "
                                   "application-data folder");
        return false;
    }
    const QString shownPath = QDir::toNativeSeparators(m_path);
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath())) {
        m_problem = QStringLiteral("The calibration record could not be written to %1: its "
                                   "folder cannot be made")
                        .arg(shownPath);
        return false;
    }
    // Another window may be appending: wait for it, but not for ever.
    QLockFile lock(m_path + QStringLiteral(".lock"));
    if (!lock.tryLock(int(m_lockTimeout.count()))) {
        m_problem = QStringLiteral("The calibration record %1 is held by another program: %2 "
                                   "row(s) not yet written, tried again with the next one")
                        .arg(shownPath)
                        .arg(m_unwritten.size());
        return false;
    }
    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append)) {
        m_problem = QStringLiteral("The calibration record could not be written to %1: %2")
                        .arg(shownPath, file.errorString());
        return false;
    }
    const qint64 before = file.size();
    int last = lastNumberIn(file);
    QByteArray bytes;
    if (before == 0)
        bytes = calibrationRecordHeader().toUtf8() + '\n';
    QHash<quint64, int> numbers;
    for (Row row : m_unwritten) {
        if (row.certificate) {
            Certificate c = *row.certificate;
            c.events.clear();
            for (quint64 id : row.covers) {
                const Entry *e = entry(id);
                const int n = numbers.contains(id) ? numbers.value(id) : e ? e->event.number : 0;
                if (n > 0)
                    c.events << n;
            }
            bytes += certificateRow(c, ++last).toUtf8() + '\n';
        } else if (row.asLeft) {
            if (row.event.number == 0)
                row.event.number = numbers.value(row.id);
            bytes += asLeftRow(row.event).toUtf8() + '\n';
        } else {
            row.event.number = ++last;
            numbers.insert(row.id, last);
            bytes += calibrationRow(row.event).toUtf8() + '\n';
        }
    }
    const bool written = file.write(bytes) == bytes.size() && file.flush()
        && (m_sync ? m_sync(file) : syncToDisk(file));
    if (!written) {
        // No torn line for the next append to follow. The file may still hold
        // bytes it could not write, and would try them again, so it is closed
        // first and cut back through a handle of its own: resizing it as it
        // is would try them first, fail again and cut nothing.
        const QString reason = file.errorString();
        file.close();
        QFile::resize(m_path, before);
        m_problem = QStringLiteral("The calibration record could not be written to %1: %2")
                        .arg(shownPath, reason);
        return false;
    }
    for (auto n = numbers.cbegin(); n != numbers.cend(); ++n) {
        if (Entry *e = entry(n.key()))
            e->event.number = n.value();
    }
    m_unwritten.clear();
    m_problem.clear();
    return true;
}

void CalibrationJournal::forgetSuperseded()
{
    QHash<int, qsizetype> newer;
    for (qsizetype i = m_entries.size() - 1; i >= 0; --i)
        if (++newer[int(m_entries[i].event.kind)] > keptPerKind)
            m_entries.removeAt(i);
}
