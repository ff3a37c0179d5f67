#pragma once

#include <QString>

#include <variant>

// Why a span point cannot be computed. Each case would otherwise put an
// infinity, a NaN or an absurd number into the transmitter.
enum class SpanProblem {
    CorrectedNotUsable, // the corrected span-gas concentration is not above 0, or is 1
    SpanNotUsable, // the transmitter's span is not above 0, or is 1
    ZeroR0NotPositive, // the zero point's reference signal is 0 or less
    MeanRxNotPositive, // the run's mean reference signal is 0 or less
    ResultOutOfRange, // the new TS is not a signal the transmitter can hold
};

struct SpanInputs {
    double corrected; // C, ppm
    double span; // S, the transmitter's span, ppm
    double t0, r0; // the zero point of the last zero run
    double txMean, rxMean;
    double tubeCoefficient;
};

// The new TS through the inverse function of the transmitter's curve: the
// measured drop of T/R below the zero ratio, scaled by 1/K with
// K = |ln C / ln S| ^ (1 / tube coefficient). RS is the run's mean reference.
std::variant<double, SpanProblem> computeSpanTS(const SpanInputs &in);

// A corrected concentration or span that the computation can use.
bool usableConcentration(double ppm);
