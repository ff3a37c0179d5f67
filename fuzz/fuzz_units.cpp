// The ambient entries as typed, in any unit, and what is made of them: the
// held pressure and temperature, the corrected concentration on its label,
// the label read back by the span calibration, and the span point computed
// from it. The program must never hold an unusable value where it computes,
// and never produce a span parameter the transmitter cannot take.

#include "ambient/corrected_concentration.h"
#include "ambient/units.h"
#include "calibration/span_point.h"
#include "link/command_set.h"
#include "fuzz_check.h"
#include "shell/leading_number.h"
#include "shell/number_format.h"

#include <QByteArray>
#include <QList>

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const auto pressureUnit = pressureUnits[data[0] % pressureUnits.size()];
    const auto shownUnit = pressureUnits[(data[0] / 8) % pressureUnits.size()];
    const auto temperatureUnit
        = (data[1] & 1) ? TemperatureUnit::Farenheit : TemperatureUnit::Celsius;
    // The rest: span gas, pressure, temperature and the transmitter's span,
    // separated by line feeds, as typed or as answered.
    const QList<QByteArray> texts
        = QByteArray(reinterpret_cast<const char *>(data) + 2, qsizetype(size) - 2).split('\n');
    const auto text = [&](int i) { return i < texts.size() ? texts[i] : QByteArray(); };

    const double spanGas = LeadingNumber(QString::fromUtf8(text(0)));
    const double pressure
        = pressureToHectopascal(pressureUnit, LeadingNumber(QString::fromUtf8(text(1))));
    const double temperature
        = temperatureToCelsius(temperatureUnit, LeadingNumber(QString::fromUtf8(text(2))));

    // A unit switch shows the held value in the new unit; its text is either
    // a number or the entry's no-value mark, and reads back as a finite number.
    const double shown = pressureForDisplay(shownUnit, pressure);
    if (std::isfinite(shown)) {
        const QString shownText = formatFixed(shown, displayDecimals(shownUnit));
        FUZZ_CHECK(isNumberText(shownText));
        FUZZ_CHECK(std::isfinite(LeadingNumber(shownText)));
    }

    const std::optional<double> corrected = correctedConcentration(spanGas, pressure, temperature);
    if (corrected)
        FUZZ_CHECK(std::isfinite(*corrected));
    const QString label = correctedConcentrationText(corrected);
    const std::optional<double> read = correctedConcentrationFromText(label);
    FUZZ_CHECK(read.has_value() == corrected.has_value());
    if (read)
        FUZZ_CHECK(std::isfinite(*read));

    const double span = LeadingNumber(text(3));
    const double t0 = LeadingNumber(text(4));
    const double r0 = LeadingNumber(text(5));
    const double txMean = LeadingNumber(text(6));
    const double rxMean = LeadingNumber(text(7));
    const auto result = computeSpanTS({read.value_or(0), span, t0, r0, txMean, rxMean, 0.2});
    if (const double *ts = std::get_if<double>(&result)) {
        FUZZ_CHECK(std::isfinite(*ts) && *ts > 0 && *ts <= Transmitter::LargestValue);
        FUZZ_CHECK(usableConcentration(read.value_or(0)) && usableConcentration(span));
    }
    return 0;
}
