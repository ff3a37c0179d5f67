#include "run_settings.h"

#include "shell/leading_number.h"
#include "shell/number_format.h"

#include <functional>

std::optional<double> askNumberOfSamples(Dialogs &dialogs, double current)
{
    const QString answer = dialogs.input(
        QStringLiteral("Number of Samples for Calibration.\r\rDefault (100) samples will take 200 "
                       "seconds.\r\rDo not decrease this value!"),
        QStringLiteral("Number Of Samples"), plainDecimalText(current));
    if (answer.isEmpty())
        return std::nullopt;
    return LeadingNumber(answer);
}

namespace {

// Asks a setting kept in the preferences, offering what is kept; a text that
// does not parse is reported and changes nothing, Cancel changes nothing.
template<typename Value>
void askKept(Dialogs &dialogs, Boxes &boxes, const QString &prompt, const QString &title,
             const QString &kept, std::optional<Value> (*parse)(const QString &),
             const QString &problem, const std::function<void(const Value &)> &keep)
{
    const QString answer = dialogs.input(prompt, title, kept);
    if (answer.isEmpty())
        return;
    if (const std::optional<Value> value = parse(answer))
        keep(*value);
    else
        boxes.report(problem);
}

} // namespace

void askTolerance(Dialogs &dialogs, Boxes &boxes, Preferences preferences)
{
    askKept<Tolerance>(
        dialogs, boxes,
        QStringLiteral("Calibration tolerance: how far the transmitter's reading may be from the "
                       "applied gas and still pass, in ppm plus percent of the gas.\r\r"
                       "It decides an accuracy check's PASS or FAIL and the certificate's "
                       "verdicts."),
        QStringLiteral("Calibration Tolerance"), toleranceText(preferences.tolerance()),
        parseTolerance,
        QStringLiteral("The tolerance must be two numbers, such as \"50 ppm + 5 %\"."),
        [&](const Tolerance &tolerance) { preferences.setTolerance(tolerance); });
}

void askCorrectionLimit(Dialogs &dialogs, Boxes &boxes, Preferences preferences)
{
    askKept<CorrectionLimit>(
        dialogs, boxes,
        QStringLiteral("Correction limit: the largest correction a calibration makes without a "
                       "question, in ppm at the zero and in percent of a span gas.\r\r"
                       "A larger one means a transmitter drifted far or the wrong gas at the "
                       "sensor: the run asks before anything is stored."),
        QStringLiteral("Correction Limit"), correctionLimitText(preferences.correctionLimit()),
        parseCorrectionLimit,
        QStringLiteral(
            "The correction limit must be two numbers, such as \"250 ppm at zero, 15 % at span\"."),
        [&](const CorrectionLimit &limit) { preferences.setCorrectionLimit(limit); });
}
