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
        QStringLiteral("Calibration tolerance: how far the transmitter's reading during a run may "
                       "be from the applied gas, in ppm plus percent of the gas.\r\r"
                       "A run outside it, or on a gas that has not settled, asks before "
                       "anything is stored."),
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
