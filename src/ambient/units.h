#pragma once

#include <QString>

#include <array>

// The units the technician may enter the ambient pressure and temperature in.
// The window holds the pressure in hPa and the temperature in °C whatever the
// entries show; these functions move values between the held unit and the
// shown one.
//
// Showing and reading back use separate constants that are near, but not
// exact, inverses of each other (for inHg their product is 1.0000000377612).
// Switching units back and forth can therefore move the held value by the
// rounding of the display; technicians know these numbers, so they are kept.

// In the order of the Units menu, which is also the order the recomputation
// looks at the check marks in.
enum class PressureUnit { hPa, mbar, kPa, inHg, mmH2O, mmHg, torr, psi };
inline constexpr std::array<PressureUnit, 8> pressureUnits {
    PressureUnit::hPa,   PressureUnit::mbar, PressureUnit::kPa,  PressureUnit::inHg,
    PressureUnit::mmH2O, PressureUnit::mmHg, PressureUnit::torr, PressureUnit::psi,
};

enum class TemperatureUnit { Celsius, Farenheit };

// The caption of the unit label beside the entry ("hPa", "mmH2O", "°C", "°F").
QString unitCaption(PressureUnit unit);
QString unitCaption(TemperatureUnit unit);

// Decimals of the entry's display format for the unit ("0.00" for inHg is 2).
int displayDecimals(PressureUnit unit);
int displayDecimals(TemperatureUnit unit);

// A number read from the entry, in the unit shown, to hPa or °C.
double pressureToHectopascal(PressureUnit unit, double shown);
double temperatureToCelsius(TemperatureUnit unit, double shown);

// A held value in hPa or °C to the unit shown, before its display format.
double pressureForDisplay(PressureUnit unit, double hectopascal);
double temperatureForDisplay(TemperatureUnit unit, double celsius);
