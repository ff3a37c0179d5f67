#pragma once

#include "certificate/report_form.h"
#include "judgement/run_judgement.h"

#include <QString>

#include <optional>

// The technician's preferences kept between sessions beyond the remembered
// port, in one INI file: read at each use, so two windows agree.
class Preferences {
public:
    explicit Preferences(QString file) : m_file(std::move(file)) { }

    Tolerance tolerance() const;
    void setTolerance(const Tolerance &tolerance);
    CorrectionLimit correctionLimit() const;
    void setCorrectionLimit(const CorrectionLimit &limit);

    // The report form's answers that hold from one report to the next (the
    // laboratory, the technician, the transmitter type, the gases, the
    // interval), with the last certificate number in `certificate`; the
    // serial number is not kept: it would be offered for the wrong transmitter.
    ReportAnswers reportAnswers() const;
    void setReportAnswers(const ReportAnswers &answers);

private:
    QString m_file;
};

// "50 ppm + 5 %" and back; the units may be left out ("50 + 5"). None for a
// text that is not two numbers of zero or more.
QString toleranceText(const Tolerance &tolerance);
std::optional<Tolerance> parseTolerance(const QString &text);

// "250 ppm at zero, 15 % at span" and back; the words and units may be left
// out ("250, 15"). None for a text that is not two numbers of zero or more.
QString correctionLimitText(const CorrectionLimit &limit);
std::optional<CorrectionLimit> parseCorrectionLimit(const QString &text);
