#pragma once

#include "record/calibration_record.h"
#include "record/transmitter_history.h"

#include <QDateTime>
#include <QFile>
#include <QList>
#include <QString>

#include <chrono>
#include <functional>
#include <utility>

// The record's bookkeeping for one window: it numbers and appends every
// calibration row the moment the window reports it, gathers the "as left"
// readings after a store, and keeps the events the report and the undo still
// need. Several windows may share one record file: each append takes the
// file's lock and the next event number from the file itself, so numbers
// never repeat and lines never interleave. A row that cannot be written (the
// lock not had in time, the disk full) waits in memory and goes in, in order,
// with the next one.
class CalibrationJournal {
public:
    static constexpr qsizetype asLeftReadings = 5;
    // The events of each kind kept for the report; older ones are in the file.
    static constexpr qsizetype keptPerKind = 20;
    // Another window holds the lock for the few milliseconds of its append;
    // longer means it hangs, and the row waits rather than the window.
    static constexpr std::chrono::milliseconds defaultLockTimeout {2000};

    // `recordPath` empty: there is nowhere to write, and every row waits.
    explicit CalibrationJournal(QString recordPath = {},
                                std::chrono::milliseconds lockTimeout = defaultLockTimeout);

    // Appends the event's row (its number is given here). A stored zero or
    // span starts its "as left" readings; a check, which wrote nothing,
    // starts none. False when the row is not yet in the
    // record: problem() says why.
    bool add(CalibrationEvent event);
    // A reading after the latest store: the "as left" row is appended at the
    // fifth. Readings with no store before them count for nothing.
    bool noteReading(double ppm, const QDateTime &time);
    // The "as left" readings end here (a run starts, another store comes,
    // the window closes); what was gathered is appended.
    bool finishAsLeft();

    // Appends the row of an issued certificate for the events at
    // `eventIndexes` in events(), which it names by their numbers in the
    // record (given to a waiting row when it is written).
    bool addCertificate(const Certificate &certificate, const QList<qsizetype> &eventIndexes);

    // The session's events, oldest first: the latest keptPerKind of each
    // kind, so a window open for weeks does not grow.
    QList<CalibrationEvent> events() const;
    // The T and R values the session's latest zero (or span) left in the
    // transmitter; empty when there was none or it stored nothing.
    std::pair<QString, QString> valuesLeftBy(CalibrationKind kind) const;

    // How an append is made to last past the system's cache; by default the
    // disk is asked to hold it (fsync). A test counts it or makes it fail.
    void setDiskSync(std::function<bool(QFile &)> sync) { m_sync = std::move(sync); }

    qsizetype unwrittenRows() const { return m_unwritten.size(); }
    // Why the last write failed, in words for the status bar; empty after a
    // good one.
    QString problem() const { return m_problem; }
    QString recordPath() const { return m_path; }

private:
    struct Entry {
        quint64 id = 0;
        CalibrationEvent event;
    };
    struct Row {
        quint64 id = 0;
        bool asLeft = false;
        CalibrationEvent event; // as it was when the row was due
        std::optional<Certificate> certificate; // a certificate's row, naming...
        QList<quint64> covers; // ...these events
    };
    bool writeUnwritten();
    void forgetSuperseded();
    Entry *entry(quint64 id);

    QString m_path;
    std::chrono::milliseconds m_lockTimeout;
    QList<Entry> m_entries;
    QList<Row> m_unwritten;
    quint64 m_nextId = 1;
    quint64 m_asLeftId = 0; // the store whose readings are being gathered
    QList<double> m_asLeft;
    QDateTime m_asLeftTime;
    QString m_problem;
    std::function<bool(QFile &)> m_sync;
};
