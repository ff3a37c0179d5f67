#include "relay_levels.h"

#include "shell/number_format.h"

#include <algorithm>
#include <cmath>

bool relayLevelsApart(double onLevel, double offLevel)
{
    constexpr double minimumGap = 10;
    // Typed decimals are not exact in binary; a gap that misses 10 by less
    // than the rounding of the typed numbers is 10.
    const double slack = 1e-9 * std::max({1.0, std::abs(onLevel), std::abs(offLevel)});
    return offLevel <= onLevel - minimumGap + slack;
}

QString relayConfirmationText(double onLevel, double offLevel)
{
    return QStringLiteral("Relay ON Level:  ") + wholeNumberText(onLevel)
        + QStringLiteral("\rRelay OFF Level: ") + wholeNumberText(offLevel)
        + QStringLiteral("\r\rPlease Confirm");
}
