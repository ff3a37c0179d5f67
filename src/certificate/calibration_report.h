#pragma once

#include "record/calibration_record.h"
#include "certificate/report_form.h"
#include "record/transmitter_history.h"

#include <QDateTime>
#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>

#include <optional>

// The one-page calibration certificate for a customer: the session's checks
// and calibrations against their reference gases, a plot per point, and the
// transmitter's earlier results from the record, laid out as texts so that
// any printer (or a test) only has to place them.

struct ReportLine {
    QString label;
    QString value;
};

// One check or calibration: a row of the results table. Figures in ppm.
struct ReportResult {
    QString time; // "14:05", or "12-01 14:05" on another day than the last
    QString point; // "Check zero", "Zero calibration", ...
    QString applied;
    QString asFound;
    // A check's is its as found: it changes nothing. A calibration's is the
    // next check of its gas, else the readings after its store that were
    // still on its gas, else "-" (not measured).
    QString asLeft;
    QString foundDifference; // as found less applied gas, signed
    QString leftDifference; // as left less applied gas; empty without as left
    QString tolerance; // "±50"
    // "±4.1": the expanded uncertainty of the figure the verdict rests on (a
    // check's as found, a calibration's as left); empty without one.
    QString uncertainty;
    QString verdict; // PASS, FAIL, NOT SETTLED, NOT STORED, UNDONE, STORED
    QString judgement; // "Settled", or the doubts, overridden or not; where the as left came from
};

// The readings of one run, seconds from its start against ppm.
struct ReportRun {
    QString label; // "14:05 check"
    QList<QPointF> samples;
};

// The runs at one point (zero or span gas) on common axes.
struct ReportPlot {
    QString title;
    double appliedGas = 0;
    QList<ReportRun> runs;
};

struct ReportHistoryRow {
    QString date;
    QString certificate;
    QString point;
    QString applied;
    QString asFound;
    QString asLeft;
};

struct CalibrationReport {
    QString title;
    QString certificate; // "Certificate No. KC-2026-0001"
    QList<ReportLine> calibration; // who calibrated, when, the next date
    QList<ReportLine> transmitter; // type, serial number, software version
    QList<ReportLine> conditions; // the port, the ambient, the reference gases
    QList<ReportResult> results; // oldest first
    QString resultsNote; // what the table leaves out; may be empty
    QString uncertaintyNote; // how U was combined
    QString decisionRule; // how PASS and FAIL were decided
    QList<ReportPlot> plots;
    QString historyHeading;
    QList<ReportHistoryRow> history; // oldest first
    QString historyNote; // why it is empty or short; may be empty
    QStringList signatures; // one block to sign for each
    QString fileName; // the name proposed for a PDF of it
};

struct ReportFacts {
    QDateTime printed;
    ReportAnswers answers;
    QString version; // empty when the transmitter has not told it
    QString port; // the port and what it stands for
    QList<HistoryEntry> history; // of this serial number, before this report
};

// The most a page holds.
inline constexpr qsizetype maximumReportResults = 10;
inline constexpr qsizetype maximumHistoryRows = 8;
inline constexpr qsizetype maximumRunsPerPlot = 3;

// The session's checks and calibrations that a report shows, as indexes into
// `session`, oldest first: the latest maximumReportResults of them.
QList<qsizetype> reportedEvents(const QList<CalibrationEvent> &session);

// The report of the session; none when it has no check or calibration.
std::optional<CalibrationReport> calibrationReport(const QList<CalibrationEvent> &session,
                                                   const ReportFacts &facts);
