#pragma once

#include "shell/main_window.h"

#include <array>

// The eight pressure items of the Units menu, indexed like PressureUnit.
inline std::array<QAction *, 8> pressureItems(const MainWindow &w)
{
    return {w.menu_hPa,   w.menu_mbar, w.menu_kPa,  w.menu_inHg,
            w.menu_mmH2O, w.menu_mmHg, w.menu_torr, w.menu_psi};
}
