#include "span_point.h"

#include "link/command_set.h"

#include <cmath>

bool usableConcentration(double ppm)
{
    // ln 1 = 0: at 1 ppm the logarithm of the curve has no slope to scale by.
    return std::isfinite(ppm) && ppm > 0 && ppm != 1;
}

std::variant<double, SpanProblem> computeSpanTS(const SpanInputs &in)
{
    if (!usableConcentration(in.corrected))
        return SpanProblem::CorrectedNotUsable;
    if (!usableConcentration(in.span))
        return SpanProblem::SpanNotUsable;
    if (!(in.r0 > 0))
        return SpanProblem::ZeroR0NotPositive;
    if (!(in.rxMean > 0))
        return SpanProblem::MeanRxNotPositive;

    const double q = std::fabs(std::log(in.corrected) / std::log(in.span));
    const double k = std::pow(q, 1 / in.tubeCoefficient);
    const double r0 = in.t0 / in.r0;
    const double rs = in.txMean / in.rxMean;
    const double ts = in.rxMean * (r0 - (r0 - rs) / k);
    if (!std::isfinite(ts) || ts <= 0 || ts > Transmitter::LargestValue)
        return SpanProblem::ResultOutOfRange;
    return ts;
}
