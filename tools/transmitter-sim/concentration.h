#pragma once

#include "parameters.h"

// Largest reading the transmitter reports; it fills the six-digit field of
// the data line.
inline constexpr double maximumPpm = 999999.0;

// The transmitter's inverse function: the concentration its stored zero
// point (T0/R0), span point (TS/RS) and span concentration make of one pair
// of signals. Always a finite number from 0 to maximumPpm; parameters that
// describe no usable curve read as 0.
double transmitterConcentration(const TransmitterParameters &parameters, double co2,
                                double reference);
