#include "accuracy_check.h"

#include "ambient/corrected_concentration.h"
#include "calibration/span_point.h"
#include "shell/number_format.h"

#include <cmath>

namespace {

// With the minus sign a reader expects, and a plus for a positive figure.
QString signedFigure(double value, int decimals)
{
    const QString text = formatFixed(std::fabs(value), decimals);
    if (text.toDouble() == 0)
        return text;
    return (value < 0 ? QStringLiteral("−") : QStringLiteral("+")) + text;
}

} // namespace

CheckOutcome checkOutcome(const RunJudgement &judgement)
{
    if (!judgement.settled)
        return CheckOutcome::NotSettled;
    return judgement.withinTolerance && judgement.healthy ? CheckOutcome::Pass : CheckOutcome::Fail;
}

QStringList checkReportLines(CalibrationKind kind, const RunJudgement &judgement,
                             const Tolerance &tolerance)
{
    const bool zero = kind == CalibrationKind::CheckZero;
    const CheckOutcome outcome = checkOutcome(judgement);
    QStringList lines;
    lines << (zero ? QStringLiteral("Accuracy check with zero gas: ")
                   : QStringLiteral("Accuracy check with span gas: "))
            + (outcome == CheckOutcome::Pass       ? QStringLiteral("PASS")
                   : outcome == CheckOutcome::Fail ? QStringLiteral("FAIL")
                                                   : QStringLiteral("NOT SETTLED"))
          << QString();
    lines << QStringLiteral("As found: %1 ppm").arg(formatFixed(judgement.asFoundPpm, 1))
          << QStringLiteral("Applied gas: %1 ppm").arg(formatFixed(judgement.appliedPpm, 0));
    QString difference
        = QStringLiteral("Difference: %1 ppm").arg(signedFigure(judgement.differencePpm, 1));
    if (!zero && judgement.appliedPpm > 0)
        difference += QStringLiteral(" (%1 %)").arg(
            signedFigure(100 * judgement.differencePpm / judgement.appliedPpm, 1));
    lines << difference;
    QString limit
        = QStringLiteral("Tolerance: ±%1 ppm").arg(formatFixed(judgement.tolerancePpm, 0));
    if (!zero)
        limit += QStringLiteral(" (%1 ppm + %2 %)")
                     .arg(plainDecimalText(tolerance.ppm), plainDecimalText(tolerance.percent));
    lines << limit;
    // The judgement's words where the figures alone would mislead: a gas
    // still coming in, or a sensor that reads on a weak signal. How large a
    // correction would be is the calibration's question, not the check's.
    if (!judgement.settled || !judgement.healthy) {
        lines << QString();
        for (const QString &reason : judgement.reasons())
            if (!reason.contains(QStringLiteral("a correction of")))
                lines << reason;
    }
    if (outcome == CheckOutcome::NotSettled)
        lines << QString() << QStringLiteral("Repeat the check once the gas has settled.");
    return lines;
}

QString checkGasProblem(CalibrationKind kind, const QString &corrected)
{
    if (kind == CalibrationKind::CheckZero
        || usableConcentration(correctedConcentrationFromText(corrected).value_or(0)))
        return {};
    return QStringLiteral("The corrected span gas concentration (%1 ppm) cannot be used for an "
                          "accuracy check. Check the span gas, temperature and pressure entries.")
        .arg(corrected);
}

QString checkQuestion(CalibrationKind kind, const QString &corrected, bool several)
{
    const QString gas = kind == CalibrationKind::CheckZero
        ? QStringLiteral("the zero gas")
        : QStringLiteral("the span gas of %1 ppm").arg(corrected);
    return (several ? QStringLiteral("Accuracy check: the transmitters' readings are compared "
                                     "with %1; nothing is written into them.\r")
                    : QStringLiteral("Accuracy check: the transmitter's readings are compared "
                                     "with %1; nothing is written into the transmitter.\r"))
               .arg(gas)
        + QStringLiteral("Are you ready with %1?").arg(gas);
}
