#include "result_uncertainty.h"

#include "ambient/corrected_concentration.h"
#include "ambient/units.h"
#include "record/calibration_record.h"
#include "shell/leading_number.h"

#include <QRegularExpression>

#include <cmath>
#include <functional>

namespace {

const double uniformDivisor = std::sqrt(12.0);

// One typed step of the entry, in hPa or °C.
double pressureStepHectopascal(const CalibrationEvent &e)
{
    const double step = typedStep(e.pressureShown);
    for (PressureUnit unit : pressureUnits)
        if (unitCaption(unit) == e.pressureUnit)
            return pressureToHectopascal(unit, step);
    return step;
}

double temperatureStepCelsius(const CalibrationEvent &e)
{
    const double step = typedStep(e.temperatureShown);
    const bool farenheit = e.temperatureUnit == unitCaption(TemperatureUnit::Farenheit);
    return farenheit ? step * 5 / 9 : step;
}

// The corrected concentration's spread from a value typed to `step`: the
// change across the step, uniform over it.
double acrossStep(const std::function<std::optional<double>(double)> &corrected, double value,
                  double step)
{
    const auto low = corrected(value - step / 2);
    const auto high = corrected(value + step / 2);
    if (!low || !high)
        return 0;
    return std::abs(*high - *low) / uniformDivisor;
}

} // namespace

double UncertaintyBudget::combined() const
{
    return std::sqrt(referenceGas * referenceGas + mean * mean + resolution * resolution
                     + pressure * pressure + temperature * temperature);
}

std::optional<double> referenceUncertainty(const QString &stated, double gasPpm)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*(?:±|\+/-|\+-)?\s*(\d+(?:\.\d*)?|\.\d+)\s*(%|ppm)?\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(stated);
    if (!match.hasMatch())
        return std::nullopt;
    const double expanded = match.captured(1).toDouble();
    const double ppm = match.captured(2) == u"%" ? expanded / 100 * std::abs(gasPpm) : expanded;
    return ppm / UncertaintyBudget::coverageFactor;
}

double typedStep(const QString &typed)
{
    const QString text = typed.trimmed();
    const qsizetype point = text.indexOf(u'.');
    if (point < 0)
        return 1;
    qsizetype decimals = 0;
    while (point + 1 + decimals < text.size() && text[point + 1 + decimals].isDigit())
        ++decimals;
    return std::pow(10.0, -double(decimals));
}

UncertaintyBudget resultUncertainty(const CalibrationEvent &e, const QString &statedGas,
                                    double standardErrorPpm)
{
    const double gas = appliedGas(e).value_or(0);
    UncertaintyBudget budget;
    const std::optional<double> reference = referenceUncertainty(statedGas, gas);
    budget.referenceStated = reference.has_value();
    budget.referenceGas = reference.value_or(0);
    budget.mean = standardErrorPpm;
    budget.resolution = readingResolutionPpm / uniformDivisor;
    if (gas == 0)
        return budget;
    // The entries' own values, not the label's whole ppm: the sensitivity is
    // the formula's, and the label only rounds its result.
    const double span = LeadingNumber(e.spanGas);
    const double pressure = e.pressureHectopascal;
    const double temperature = e.temperatureCelsius;
    budget.pressure
        = acrossStep([&](double p) { return correctedConcentration(span, p, temperature); },
                     pressure, pressureStepHectopascal(e));
    budget.temperature
        = acrossStep([&](double t) { return correctedConcentration(span, pressure, t); },
                     temperature, temperatureStepCelsius(e));
    return budget;
}
