// The corrected span-gas concentration, recomputed on every change of the
// span-gas, pressure and temperature entries.

#include "shell/main_window.h"

#include "ambient/corrected_concentration.h"
#include "ambient/units.h"
#include "shell/leading_number.h"

#include <QAction>
#include <QActionGroup>
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

    onClick(menu_hPa, [this] { menu_hPa_Click(); });
    onClick(menu_mbar, [this] { menu_mbar_Click(); });
    onClick(menu_kPa, [this] { menu_kPa_Click(); });
    onClick(menu_inHg, [this] { menu_inHg_Click(); });
    onClick(menu_mmH2O, [this] { menu_mmH2O_Click(); });
    onClick(menu_mmHg, [this] { menu_mmHg_Click(); });
    onClick(menu_torr, [this] { menu_torr_Click(); });
    onClick(menu_psi, [this] { menu_psi_Click(); });
    onClick(menu_Celsius, [this] { menu_Celsius_Click(); });
    onClick(menu_Farenheit, [this] { menu_Farenheit_Click(); });
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
    const QList<QAction *> pressureItems = m_pressureUnits->actions();
    for (qsizetype i = 0; i < pressureItems.size(); ++i) {
        if (pressureItems[i]->isChecked())
            Pressure = pressureToHectopascal(PressureUnit(i), LeadingNumber(PressureText->text()));
    }
    const QList<QAction *> temperatureItems = m_temperatureUnits->actions();
    for (qsizetype i = 0; i < temperatureItems.size(); ++i) {
        if (temperatureItems[i]->isChecked())
            Temperature
                = temperatureToCelsius(TemperatureUnit(i), LeadingNumber(TemperatureText->text()));
    }

    const double spanGas = LeadingNumber(SpanGasConcentration->text());
    CorrectedConcentration->setText(
        correctedConcentrationText(correctedConcentration(spanGas, Pressure, Temperature)));
}
