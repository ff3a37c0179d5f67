#include "run_settings.h"

#include "shell/leading_number.h"
#include "shell/number_format.h"

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

void askTolerance(Dialogs &dialogs, Boxes &boxes, Preferences preferences)
{
    const QString answer = dialogs.input(
        QStringLiteral("Calibration tolerance: how far the transmitter's reading may be from the "
                       "applied gas and still pass, in ppm plus percent of the gas.\r\r"
                       "It decides an accuracy check's PASS or FAIL and the certificate's "
                       "verdicts."),
        QStringLiteral("Calibration Tolerance"), toleranceText(preferences.tolerance()));
    if (answer.isEmpty())
        return;
    const auto tolerance = parseTolerance(answer);
    if (!tolerance) {
        boxes.report(
            QStringLiteral("The tolerance must be two numbers, such as \"50 ppm + 5 %\"."));
        return;
    }
    preferences.setTolerance(*tolerance);
}

void askCorrectionLimit(Dialogs &dialogs, Boxes &boxes, Preferences preferences)
{
    const QString answer = dialogs.input(
        QStringLiteral("Correction limit: the largest correction a calibration makes without a "
                       "question, in ppm at the zero and in percent of a span gas.\r\r"
                       "A larger one means a transmitter drifted far or the wrong gas at the "
                       "sensor: the run asks before anything is stored."),
        QStringLiteral("Correction Limit"), correctionLimitText(preferences.correctionLimit()));
    if (answer.isEmpty())
        return;
    const auto limit = parseCorrectionLimit(answer);
    if (!limit) {
        boxes.report(QStringLiteral("The correction limit must be two numbers, such as \"250 ppm "
                                    "at zero, 15 % at span\"."));
        return;
    }
    preferences.setCorrectionLimit(*limit);
}
