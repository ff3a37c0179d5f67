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
