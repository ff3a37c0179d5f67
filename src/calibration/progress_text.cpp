#include "progress_text.h"

#include "shell/number_format.h"

QString samplingText(RunKind kind, double sample, double samples)
{
    QString text;
    switch (kind) {
    case RunKind::Zero:
        text = QStringLiteral("Sampling data for Zero Calibration (Sample");
        break;
    case RunKind::Span:
        text = QStringLiteral("Sampling data for Span Calibration (Sample");
        break;
    case RunKind::CheckZero:
        text = QStringLiteral("Accuracy check with zero gas (Sample");
        break;
    case RunKind::CheckSpan:
        text = QStringLiteral("Accuracy check with span gas (Sample");
        break;
    }
    return text + numberText(sample) + QStringLiteral(" of ") + numberText(samples) + u')';
}

QString sampleMarker(double sample)
{
    return u'#' + numberText(sample);
}
