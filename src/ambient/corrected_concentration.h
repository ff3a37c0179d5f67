#pragma once

#include <QString>

#include <optional>

// The span-gas concentration corrected for the ambient pressure and
// temperature. At the reference conditions, 1013 hPa and 298 K (25 °C), it
// equals the span-gas concentration.
//
// The pressure term is the transmitter's own: the deviation from 1013 hPa is
// weighted by 1.45, which is not the ideal-gas ratio p / 1013. Above about
// 1712 hPa the pressure factor turns negative and so does the result.
//
// Gives no value when the quotient has no finite value: a temperature of
// -273 °C, a pressure factor of 0, an overflow, or an input that is itself
// not finite (a pressure entry too large to convert to hPa).
std::optional<double> correctedConcentration(double spanGasPpm, double pressureHectopascal,
                                             double temperatureCelsius);

// What the label "Corrected" shows when there is no value. It is no number,
// so nothing that reads the label can take it for one.
inline const QString noCorrectedConcentrationText = QStringLiteral("????");

// The label's text: the value rounded to whole ppm, or the no-value mark.
QString correctedConcentrationText(std::optional<double> corrected);

// The corrected concentration as the rest of the program must read it from
// the label: its whole-ppm number, or no value when the label shows the
// no-value mark. A span calibration has to refuse to start on no value.
std::optional<double> correctedConcentrationFromText(const QString &labelText);
