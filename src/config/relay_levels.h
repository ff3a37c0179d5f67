#pragma once

#include <QString>

// The relay's ON level must lie at least 10 ppm above its OFF level, so the
// relay does not chatter around one concentration. Exactly 10 ppm passes,
// also for levels with decimals (510.1 and 500.1), which a plain
// floating-point difference would refuse.
bool relayLevelsApart(double onLevel, double offLevel);

// The question before the levels are written, with the whole numbers that
// will be sent; lines are separated by carriage returns.
QString relayConfirmationText(double onLevel, double offLevel);
