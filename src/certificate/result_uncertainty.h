#pragma once

#include <QString>

#include <optional>

struct CalibrationEvent;

// The uncertainty a certificate states for each result: the standard
// uncertainties of independent sources, in ppm, combined as a root sum of
// squares and expanded by a coverage factor of 2 (about 95 %).
struct UncertaintyBudget {
    double referenceGas = 0; // the gas's certificate
    bool referenceStated = true; // false: the form gave none, and it is left out
    double mean = 0; // the standard error of the mean reading
    double resolution = 0; // the reading's last digit
    double pressure = 0; // of the corrected concentration, from the typed entries
    double temperature = 0;

    double combined() const;
    double expanded() const { return coverageFactor * combined(); }

    static constexpr double coverageFactor = 2;
};

// A reading in whole ppm lies anywhere within half a ppm of its value:
// uniformly, so its standard uncertainty is 1 / sqrt(12) ppm.
inline constexpr double readingResolutionPpm = 1;

// A gas's stated expanded uncertainty as its certificate gives it, at k = 2:
// "2 %" of the gas, or "20 ppm" ("±", "+/-" and a bare number in ppm
// accepted), as a standard uncertainty in ppm at `gasPpm`. None for an empty
// or unreadable text.
std::optional<double> referenceUncertainty(const QString &stated, double gasPpm);

// The step of the last digit of a typed number: "1013" gives 1, "21.0" 0.1,
// "29.92" 0.01. A value typed to that step lies anywhere within half of it.
double typedStep(const QString &typed);

// The budget of a result read during `event`'s run, or after its store, on
// its gas: `standardErrorPpm` of the mean of those readings; the gas's stated
// uncertainty as the form gave it; at a span, how far the corrected
// concentration moves across one step of the typed pressure and of the typed
// temperature, each taken as uniform over that step.
UncertaintyBudget resultUncertainty(const CalibrationEvent &event, const QString &statedGas,
                                    double standardErrorPpm);
