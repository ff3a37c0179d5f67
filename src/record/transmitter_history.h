#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// A transmitter's earlier checks and calibrations, read back from the record.
// The calibration rows carry no serial number (the window does not know it
// while it calibrates): a certificate row, appended when a report is issued,
// names the transmitter and the events it covers, and ties them to it.

// The record's row for an issued certificate. It keeps the record's columns:
// kind "certificate", the certificate's number as its outcome, and the
// transmitter and the events in the last column as "type=...; serial=...;
// events=3 4 5", readable in a spreadsheet and by certificateOf().
struct Certificate {
    QString number; // "KC-2026-0001"
    QDateTime time;
    QString port, device, version;
    QString type, serial;
    QList<int> events; // the record's numbers of the rows it covers
};
QString certificateRow(const Certificate &certificate, int rowNumber);

// The fields of every line of a CSV text: quoted fields may hold commas,
// doubled quotes and line ends. A blank line gives no row.
QList<QStringList> parseCsv(const QString &text);

struct HistoryEntry {
    QDateTime time;
    QString certificate;
    QString kind; // as the record names it: "zero", "check span", ...
    QString applied; // ppm, as the record keeps them
    QString asFound;
    // The mean of the readings after a store that were still on its gas (in
    // a record from before the rows said which, as the rule finds them); for
    // a check, which changes nothing, its as found; empty when none were read.
    QString asLeft;
};

// Every event that a certificate for `serial` (compared without case and
// surrounding blanks) names in `record`, once each and oldest first; the
// events numbered in `excluding` (those of the report being made) are left
// out. A row the record does not hold, or cannot read, is skipped.
QList<HistoryEntry> transmitterHistory(const QString &record, const QString &serial,
                                       const QList<int> &excluding = {});
