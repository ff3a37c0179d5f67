#include "run_texts.h"

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

QString zeroGasQuestion()
{
    return QStringLiteral("Are you ready with the zero gas?");
}

QString spanGasQuestion(const QString &spans)
{
    return QStringLiteral("The transmitter parameters are for ") + spans
        + QStringLiteral(".\rAre you ready with the ambient settings and with the span gas?");
}

QString spanGasFarWarning()
{
    return QStringLiteral("Warning! Corrected gas concentration must be within ±10% of the "
                          "Span.\rThe calibration is possible, but not accurate.");
}

QString sampleMarker(double sample)
{
    return u'#' + numberText(sample);
}
