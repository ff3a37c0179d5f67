#include "preferences.h"

#include "shell/number_format.h"

#include <QRegularExpression>
#include <QSettings>

Tolerance Preferences::tolerance() const
{
    const QSettings settings(m_file, QSettings::IniFormat);
    const Tolerance defaults;
    const auto parsed = parseTolerance(
        settings.value(QStringLiteral("calibration/tolerance"), toleranceText(defaults)).toString());
    return parsed.value_or(defaults);
}

void Preferences::setTolerance(const Tolerance &tolerance)
{
    QSettings settings(m_file, QSettings::IniFormat);
    settings.setValue(QStringLiteral("calibration/tolerance"), toleranceText(tolerance));
}

CorrectionLimit Preferences::correctionLimit() const
{
    const QSettings settings(m_file, QSettings::IniFormat);
    const CorrectionLimit defaults;
    const auto parsed = parseCorrectionLimit(
        settings.value(QStringLiteral("calibration/correctionLimit"), correctionLimitText(defaults))
            .toString());
    return parsed.value_or(defaults);
}

void Preferences::setCorrectionLimit(const CorrectionLimit &limit)
{
    QSettings settings(m_file, QSettings::IniFormat);
    settings.setValue(QStringLiteral("calibration/correctionLimit"), correctionLimitText(limit));
}

namespace {

// The keys of the kept answers, with what a first report offers.
struct KeptAnswer {
    const char16_t *key;
    QString ReportAnswers::*field;
    const char16_t *first;
};
constexpr KeptAnswer keptAnswers[] = {
    {u"report/laboratory", &ReportAnswers::laboratory, u""},
    {u"report/technician", &ReportAnswers::technician, u""},
    {u"report/lastCertificate", &ReportAnswers::certificate, u""},
    {u"report/transmitterType", &ReportAnswers::type, u""},
    {u"report/zeroGas", &ReportAnswers::zeroGas, u""},
    {u"report/zeroGasUncertainty", &ReportAnswers::zeroGasUncertainty, u""},
    {u"report/spanGasLot", &ReportAnswers::spanGasLot, u""},
    {u"report/spanGasUncertainty", &ReportAnswers::spanGasUncertainty, u""},
    {u"report/intervalMonths", &ReportAnswers::intervalMonths, u"12"},
};

} // namespace

ReportAnswers Preferences::reportAnswers() const
{
    const QSettings settings(m_file, QSettings::IniFormat);
    ReportAnswers answers;
    for (const KeptAnswer &kept : keptAnswers)
        answers.*kept.field
            = settings.value(QString::fromUtf16(kept.key), QString::fromUtf16(kept.first))
                  .toString();
    return answers;
}

void Preferences::setReportAnswers(const ReportAnswers &answers)
{
    QSettings settings(m_file, QSettings::IniFormat);
    for (const KeptAnswer &kept : keptAnswers)
        settings.setValue(QString::fromUtf16(kept.key), answers.*kept.field);
}

QString toleranceText(const Tolerance &tolerance)
{
    return QStringLiteral("%1 ppm + %2 %")
        .arg(plainDecimalText(tolerance.ppm), plainDecimalText(tolerance.percent));
}

std::optional<Tolerance> parseTolerance(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*(\d+(?:\.\d+)?)\s*(?:ppm)?\s*\+\s*(\d+(?:\.\d+)?)\s*%?\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return Tolerance {match.captured(1).toDouble(), match.captured(2).toDouble()};
}

QString correctionLimitText(const CorrectionLimit &limit)
{
    return QStringLiteral("%1 ppm at zero, %2 % at span")
        .arg(plainDecimalText(limit.ppm), plainDecimalText(limit.percent));
}

std::optional<CorrectionLimit> parseCorrectionLimit(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*(\d+(?:\.\d+)?)\s*(?:ppm)?\s*(?:at\s+zero)?\s*[,;/]\s*)"
                       R"((\d+(?:\.\d+)?)\s*%?\s*(?:at\s+span)?\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return CorrectionLimit {match.captured(1).toDouble(), match.captured(2).toDouble()};
}
