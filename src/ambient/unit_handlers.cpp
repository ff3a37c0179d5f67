// The Units menu: choosing a unit marks it, changes the unit caption and
// rewrites the entry with the held value in the new unit. The rewrite makes
// the entry's change handler read the value back in the new unit, so the held
// value becomes the shown, rounded one.

#include "shell/main_window.h"

#include "ambient/unit_items.h"
#include "ambient/units.h"
#include "shell/number_format.h"

#include <QAction>
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

// A line edit keeps quiet when it is given the text it already holds (hPa
// chosen twice, mmHg to torr). The check marks may have changed all the same,
// so the value is read back in the unit now checked either way.
void writeEntry(MainWindow &w, QLineEdit *entry, const QString &text, void (MainWindow::*changed)())
{
    if (entry->text() == text)
        (w.*changed)();
    else
        entry->setText(text);
}

void choosePressureUnit(MainWindow &w, PressureUnit unit)
{
    const std::array<QAction *, 8> items = pressureItems(w);
    for (QAction *item : items)
        item->setChecked(false);
    items[size_t(unit)]->setChecked(true);
    w.PressureLabel->setText(unitCaption(unit));
    writeEntry(
        w, w.PressureText,
        shownText(pressureForDisplay(unit, w.Pressure), displayDecimals(unit), noPressureText),
        &MainWindow::PressureText_Change);
}

void showTemperatureIn(MainWindow &w, TemperatureUnit unit)
{
    w.TemperatureLabel->setText(unitCaption(unit));
    writeEntry(w, w.TemperatureText,
               shownText(temperatureForDisplay(unit, w.Temperature), displayDecimals(unit),
                         noTemperatureText),
               &MainWindow::TemperatureText_Change);
}

} // namespace

void MainWindow::menu_hPa_Click()
{
    choosePressureUnit(*this, PressureUnit::hPa);
}

void MainWindow::menu_mbar_Click()
{
    choosePressureUnit(*this, PressureUnit::mbar);
}

void MainWindow::menu_kPa_Click()
{
    choosePressureUnit(*this, PressureUnit::kPa);
}

void MainWindow::menu_inHg_Click()
{
    choosePressureUnit(*this, PressureUnit::inHg);
}

void MainWindow::menu_mmH2O_Click()
{
    choosePressureUnit(*this, PressureUnit::mmH2O);
}

void MainWindow::menu_mmHg_Click()
{
    choosePressureUnit(*this, PressureUnit::mmHg);
}

void MainWindow::menu_torr_Click()
{
    choosePressureUnit(*this, PressureUnit::torr);
}

void MainWindow::menu_psi_Click()
{
    choosePressureUnit(*this, PressureUnit::psi);
}

void MainWindow::menu_Celsius_Click()
{
    menu_Celsius->setChecked(true);
    menu_Farenheit->setChecked(false);
    showTemperatureIn(*this, TemperatureUnit::Celsius);
}

void MainWindow::menu_Farenheit_Click()
{
    menu_Celsius->setChecked(false);
    menu_Farenheit->setChecked(true);
    showTemperatureIn(*this, TemperatureUnit::Farenheit);
}
