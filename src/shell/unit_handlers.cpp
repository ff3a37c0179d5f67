// The Units menu: choosing a unit marks it, changes the unit caption and
// rewrites the entry with the held value in the new unit. The rewrite makes
// the entry's change handler read the value back in the new unit, so the held
// value becomes the shown, rounded one.

#include "shell/main_window.h"

#include "ambient/units.h"
#include "shell/number_format.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QLineEdit>

#include <cmath>

namespace {

// The entries' own texts for "no value yet". A held value too large for the
// new unit has no finite text; the entry shows this instead. It reads as 0
// like any text that is not a number, and the technician sees at once that
// the entry needs a new value.
const QString noPressureText = QStringLiteral("????");
const QString noTemperatureText = QStringLiteral("??.?");

QString shownText(double value, int decimals, const QString &noValue)
{
    return std::isfinite(value) ? formatFixed(value, decimals) : noValue;
}

} // namespace

// A line edit keeps quiet when it is given the text it already holds (hPa
// chosen twice, mmHg to torr). The check marks may have changed all the same,
// so the value is read back in the unit now checked either way.
void MainWindow::writeEntry(QLineEdit *entry, const QString &text, void (MainWindow::*changed)())
{
    if (entry->text() == text)
        (this->*changed)();
    else
        entry->setText(text);
}

void MainWindow::choosePressureUnit(PressureUnit unit)
{
    // The group unchecks the other seven.
    m_pressureUnits->actions().at(qsizetype(unit))->setChecked(true);
    PressureLabel->setText(unitCaption(unit));
    writeEntry(PressureText,
               shownText(pressureForDisplay(unit, Pressure), displayDecimals(unit), noPressureText),
               &MainWindow::PressureText_Change);
}

void MainWindow::showTemperatureIn(TemperatureUnit unit)
{
    m_temperatureUnits->actions().at(qsizetype(unit))->setChecked(true);
    TemperatureLabel->setText(unitCaption(unit));
    writeEntry(TemperatureText,
               shownText(temperatureForDisplay(unit, Temperature), displayDecimals(unit),
                         noTemperatureText),
               &MainWindow::TemperatureText_Change);
}

void MainWindow::menu_hPa_Click()
{
    choosePressureUnit(PressureUnit::hPa);
}

void MainWindow::menu_mbar_Click()
{
    choosePressureUnit(PressureUnit::mbar);
}

void MainWindow::menu_kPa_Click()
{
    choosePressureUnit(PressureUnit::kPa);
}

void MainWindow::menu_inHg_Click()
{
    choosePressureUnit(PressureUnit::inHg);
}

void MainWindow::menu_mmH2O_Click()
{
    choosePressureUnit(PressureUnit::mmH2O);
}

void MainWindow::menu_mmHg_Click()
{
    choosePressureUnit(PressureUnit::mmHg);
}

void MainWindow::menu_torr_Click()
{
    choosePressureUnit(PressureUnit::torr);
}

void MainWindow::menu_psi_Click()
{
    choosePressureUnit(PressureUnit::psi);
}

void MainWindow::menu_Celsius_Click()
{
    showTemperatureIn(TemperatureUnit::Celsius);
}

void MainWindow::menu_Farenheit_Click()
{
    showTemperatureIn(TemperatureUnit::Farenheit);
}
