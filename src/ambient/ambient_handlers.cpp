// The corrected span-gas concentration, recomputed on every change of the
// span-gas, pressure and temperature entries.

#include "shell/main_window.h"

#include "ambient/corrected_concentration.h"
#include "ambient/unit_items.h"
#include "ambient/units.h"
#include "shell/leading_number.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>

void MainWindow::connectAmbientHandlers()
{
    // textChanged, not textEdited: the program's own writes (start-up, a unit
    // switch) must recompute exactly as typing does.
    connect(PressureText, &QLineEdit::textChanged, this, &MainWindow::PressureText_Change);
    connect(TemperatureText, &QLineEdit::textChanged, this, &MainWindow::TemperatureText_Change);
    connect(SpanGasConcentration, &QLineEdit::textChanged, this,
            &MainWindow::SpanGasConcentration_Change);

    onMenuItem(menu_hPa, [this] { menu_hPa_Click(); });
    onMenuItem(menu_mbar, [this] { menu_mbar_Click(); });
    onMenuItem(menu_kPa, [this] { menu_kPa_Click(); });
    onMenuItem(menu_inHg, [this] { menu_inHg_Click(); });
    onMenuItem(menu_mmH2O, [this] { menu_mmH2O_Click(); });
    onMenuItem(menu_mmHg, [this] { menu_mmHg_Click(); });
    onMenuItem(menu_torr, [this] { menu_torr_Click(); });
    onMenuItem(menu_psi, [this] { menu_psi_Click(); });
    onMenuItem(menu_Celsius, [this] { menu_Celsius_Click(); });
    onMenuItem(menu_Farenheit, [this] { menu_Farenheit_Click(); });
}

void MainWindow::PressureText_Change()
{
    UpdateCorrectedConcentration();
}

void MainWindow::TemperatureText_Change()
{
    UpdateCorrectedConcentration();
}

void MainWindow::SpanGasConcentration_Change()
{
    UpdateCorrectedConcentration();
}

// The check marks are the only record of the chosen units. The held values
// are overwritten from the entries every time, so they always follow what
// the entries show, including the rounding of the display after a unit switch.
void MainWindow::UpdateCorrectedConcentration()
{
    const std::array<QAction *, 8> items = pressureItems(*this);
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i]->isChecked())
            Pressure = pressureToHectopascal(pressureUnits[i], LeadingNumber(PressureText->text()));
    }
    if (menu_Celsius->isChecked())
        Temperature = temperatureToCelsius(TemperatureUnit::Celsius,
                                           LeadingNumber(TemperatureText->text()));
    if (menu_Farenheit->isChecked())
        Temperature = temperatureToCelsius(TemperatureUnit::Farenheit,
                                           LeadingNumber(TemperatureText->text()));

    const double spanGas = LeadingNumber(SpanGasConcentration->text());
    CorrectedConcentration->setText(
        correctedConcentrationText(correctedConcentration(spanGas, Pressure, Temperature)));
}
