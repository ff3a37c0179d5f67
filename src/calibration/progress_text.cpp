#include "progress_text.h"

#include "shell/number_format.h"

QString samplingText(RunKind kind, double sample, double samples)
{
    const QString calibration
        = kind == RunKind::Zero ? QStringLiteral("Zero") : QStringLiteral("Span");
    return QStringLiteral("Sampling data for %1 Calibration (Sample").arg(calibration)
        + numberText(sample) + QStringLiteral(" of ") + numberText(samples) + u')';
}

QString sampleMarker(double sample)
{
    return u'#' + numberText(sample);
}
