#include "units.h"

#include <QStringView>

namespace {

struct PressureScale {
    QStringView caption;
    double toHectopascal; // reading back; 1 where the value is taken as read
    double forDisplay; // showing: multiplied by this, then divided by the next
    double displayDivisor; // only kPa divides (by the whole number 10)
    int decimals;
};

// Indexed by PressureUnit.
constexpr std::array<PressureScale, 8> pressureScales {{
    {u"hPa", 1.0, 1.0, 1.0, 1},
    {u"mbar", 1.0, 1.0, 1.0, 1},
    {u"kPa", 10.0, 1.0, 10.0, 2},
    {u"inHg", 33.86388, 0.02952999, 1.0, 2},
    {u"mmH2O", 0.0980665, 10.19716, 1.0, 0},
    {u"mmHg", 1.333224, 0.7500617, 1.0, 1},
    {u"torr", 1.333224, 0.7500617, 1.0, 1},
    {u"psi", 68.94757, 0.01450377, 1.0, 3},
}};

const PressureScale &scale(PressureUnit unit)
{
    return pressureScales[size_t(unit)];
}

} // namespace

QString unitCaption(PressureUnit unit)
{
    return scale(unit).caption.toString();
}

QString unitCaption(TemperatureUnit unit)
{
    return unit == TemperatureUnit::Celsius ? QStringLiteral("°C") : QStringLiteral("°F");
}

int displayDecimals(PressureUnit unit)
{
    return scale(unit).decimals;
}

int displayDecimals(TemperatureUnit)
{
    return 1;
}

// Multiplying or dividing by 1 changes no double, so every unit goes through
// the same two operations and still gives the result of its own single one.
double pressureToHectopascal(PressureUnit unit, double shown)
{
    return shown * scale(unit).toHectopascal;
}

double pressureForDisplay(PressureUnit unit, double hectopascal)
{
    const double scaled = hectopascal * scale(unit).forDisplay;
    return scaled / scale(unit).displayDivisor;
}

// The quotients 5/9 and 9/5 are taken first, then applied, and the multiply
// and add stay separate statements: a fused multiply-add would round once
// instead of twice and could move a converted value by one unit in the last
// place, so the held and shown values would differ between machines.
double temperatureToCelsius(TemperatureUnit unit, double shown)
{
    if (unit == TemperatureUnit::Celsius)
        return shown;
    const double aboveFreezing = shown - 32;
    return aboveFreezing * (5.0 / 9.0);
}

double temperatureForDisplay(TemperatureUnit unit, double celsius)
{
    if (unit == TemperatureUnit::Celsius)
        return celsius;
    const double scaled = celsius * (9.0 / 5.0);
    return scaled + 32;
}
