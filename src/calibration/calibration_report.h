#pragma once

#include "calibration/calibration_record.h"

#include <QDateTime>
#include <QList>
#include <QPointF>
#include <QString>

#include <optional>

// The one-page calibration report for a customer: the last zero and the last
// span of the session, laid out as texts, so that any printer (or a test)
// only has to place them.

struct ReportLine {
    QString label;
    QString value;
};

// One reading against the applied gas.
struct ReportCheck {
    QString label; // "Applied gas", "As found ...", "As left ..."
    QString reading; // ppm
    QString difference; // reading less applied gas, signed; empty for the gas itself
};

struct ReportSection {
    QString heading; // "Zero calibration", "Span calibration"
    QList<ReportLine> lines;
    QList<ReportCheck> checks;
    // The run's concentration over time (seconds, ppm), with the applied gas.
    QList<QPointF> samples;
    double appliedGas = 0;
};

struct CalibrationReport {
    QString title;
    QList<ReportLine> header;
    QList<ReportSection> sections;
};

struct ReportFacts {
    QDateTime printed;
    QString typeAndSerial;
    QString version; // empty when the transmitter has not told it
};

// The report of the session's last zero and last span; none when the session
// has recorded neither.
std::optional<CalibrationReport> calibrationReport(const QList<CalibrationEvent> &session,
                                                   const ReportFacts &facts);
