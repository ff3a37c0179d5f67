#pragma once

#include <QList>

// Which of the readings after a store show what the store left: those taken
// while the gas was still the run's own. A technician who moves on briskly
// has the next gas flowing within seconds of the store, and readings of that
// gas say nothing about the point just stored.

// What the run already told about its readings and its gas.
struct AsLeftFigures {
    double appliedPpm = 0;
    double tolerancePpm = 0; // the accuracy tolerance at the gas
    double noisePpm = 0; // a reading's noise during the run; 0 when unknown
    double correctionPpm = 0; // the run's as found less the gas: what the store took out
};

// The readings that count, by their place among the readings.
struct AsLeftSpan {
    qsizetype first = 0;
    qsizetype count = 0;

    bool operator==(const AsLeftSpan &) const = default;
};

// A reading that moves away from the mean of those counted so far by more
// than asLeftNoiseFactor times the run's reading noise (with the mean's own
// share) and by more than the settledness floor (a share of the tolerance)
// is a new gas reaching the sensor: a jump, or the first steps of a lag curve
// adding up against the mean. It and all later readings are left out. The
// run's noise is that of the instant reading; the averaged value after the
// store carries about half of it, so a steady gas stays some four of its
// standard deviations inside. A steady offset from the first counted reading
// on is what the store left, right or wrong, and counts.
//
// The transmitter's averaged value is the mean of its last four one-second
// conversions, and the first poll, two seconds after the store, still
// averages some made with the old parameters. After a store that corrected
// more than that limit, a first reading still on the side the run found the
// transmitter on, beyond the limit, may be such a mixture or what a store
// that did not take left; one reading cannot tell. It is set aside, and the
// count starts at the second, which shows either; but a second reading that
// has moved off beyond the first, or past the gas, is a new gas already, and
// then nothing counts.
inline constexpr double asLeftNoiseFactor = 2;
AsLeftSpan countedAsLeft(const QList<double> &readings, const AsLeftFigures &figures);
