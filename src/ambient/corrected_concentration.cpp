#include "corrected_concentration.h"

#include "shell/leading_number.h"
#include "shell/number_format.h"

#include <cmath>

std::optional<double> correctedConcentration(double spanGasPpm, double pressureHectopascal,
                                             double temperatureCelsius)
{
    // Each step rounds on its own and in this order, as the corrected values
    // this tool has always shown were worked out; the multiply and the add
    // stay apart so that no compiler fuses them into one rounding.
    const double weightedDeviation = (1013 - pressureHectopascal) * 1.45;
    const double pressureFactor = (weightedDeviation + 1013) / 1013;
    const double atReferencePressure = spanGasPpm / pressureFactor;
    const double temperatureFactor = 298 / (temperatureCelsius + 273);
    const double corrected = atReferencePressure * temperatureFactor;

    // An infinite pressure divides the span gas down to 0 rather than to
    // infinity; it is still no usable value, so the inputs are tested too.
    if (!std::isfinite(spanGasPpm) || !std::isfinite(pressureHectopascal)
        || !std::isfinite(temperatureCelsius) || !std::isfinite(corrected))
        return std::nullopt;
    return corrected;
}

QString correctedConcentrationText(std::optional<double> corrected)
{
    return corrected ? formatFixed(*corrected, 0) : noCorrectedConcentrationText;
}

std::optional<double> correctedConcentrationFromText(const QString &labelText)
{
    if (!isNumberText(labelText))
        return std::nullopt;
    return LeadingNumber(labelText);
}
