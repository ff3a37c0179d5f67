#include "calibration_record.h"

#include "shell/leading_number.h"
#include "shell/number_format.h"


#include <algorithm>

namespace {

constexpr int asLeftColumns = 5;
// Every column up to "as found (ppm)"; the as-left readings follow.
constexpr qsizetype columnsBeforeAsLeft = 29;

QString number(std::optional<double> value, int decimals)
{
    return value ? formatFixed(*value, decimals) : QString();
}

// Mean, standard deviation and drift per minute; all empty without samples.
QStringList signalFields(const SignalStability &signal)
{
    if (signal.count() == 0)
        return {{}, {}, {}};
    return {formatFixed(signal.mean(), 2), number(signal.standardDeviation(), 2),
            number(signal.driftPerMinute(), 2)};
}

QString joined(const QStringList &fields)
{
    QStringList quoted;
    for (const QString &field : fields)
        quoted << csvField(field);
    return quoted.join(u',');
}

} // namespace

void RunTrace::add(double seconds, double ppm)
{
    if (m_count == 0)
        m_start = seconds;
    ++m_count;
    m_mean += (ppm - m_mean) / m_count;
    if ((m_count - 1) % m_stride != 0)
        return;
    m_points << QPointF(seconds - m_start, ppm);
    if (m_points.size() < maximumPoints)
        return;
    // Full: keep every second point, and from now on every second sample.
    QList<QPointF> kept;
    for (qsizetype i = 0; i < m_points.size(); i += 2)
        kept << m_points[i];
    m_points = kept;
    m_stride *= 2;
}

std::optional<double> appliedGas(const CalibrationEvent &event)
{
    switch (event.kind) {
    case CalibrationKind::Zero:
    case CalibrationKind::CheckZero:
        return 0.0;
    case CalibrationKind::Span:
    case CalibrationKind::CheckSpan:
        return LeadingNumber(event.corrected);
    default:
        return std::nullopt;
    }
}

QString kindText(CalibrationKind kind)
{
    switch (kind) {
    case CalibrationKind::Zero:
        return QStringLiteral("zero");
    case CalibrationKind::Span:
        return QStringLiteral("span");
    case CalibrationKind::UndoZero:
        return QStringLiteral("undo zero");
    case CalibrationKind::UndoSpan:
        return QStringLiteral("undo span");
    case CalibrationKind::CheckZero:
        return QStringLiteral("check zero");
    case CalibrationKind::CheckSpan:
        return QStringLiteral("check span");
    }
    return {};
}

QString outcomeText(const StoreResult &result)
{
    using O = StoreResult::Outcome;
    switch (result.outcome) {
    case O::Stored:
        return result.warning.isEmpty() ? QStringLiteral("stored")
                                        : QStringLiteral("stored after warning: ") + result.warning;
    case O::NotAnswered:
        return QStringLiteral("not answered: ") + result.detail;
    case O::Rejected:
        return QStringLiteral("rejected: ") + result.detail;
    case O::Refused:
        return QStringLiteral("refused: ") + result.detail;
    case O::PortClosed:
        return QStringLiteral("port closed");
    }
    return {};
}

QString checkOutcomeText(CheckOutcome outcome)
{
    switch (outcome) {
    case CheckOutcome::Pass:
        return QStringLiteral("pass");
    case CheckOutcome::Fail:
        return QStringLiteral("fail");
    case CheckOutcome::NotSettled:
        return QStringLiteral("not settled");
    }
    return {};
}

bool isCheck(CalibrationKind kind)
{
    return kind == CalibrationKind::CheckZero || kind == CalibrationKind::CheckSpan;
}

QString outcomeText(const CalibrationEvent &event)
{
    return isCheck(event.kind) ? checkOutcomeText(event.check) : outcomeText(event.result);
}

QString csvField(const QString &text)
{
    static const QString special = QStringLiteral(",\"\r\n");
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return special.contains(c); }))
        return text;
    return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QString calibrationRecordHeader()
{
    QStringList names
        = QStringLiteral("event|row|time|port|device|version|kind|outcome|samples|"
                         "span gas (ppm)|corrected (ppm)|applied gas (ppm)|"
                         "temperature|temperature unit|temperature (°C)|"
                         "pressure|pressure unit|pressure (hPa)|"
                         "T0/TS before|R0/RS before|T0/TS after|R0/RS after|"
                         "Rx mean|Rx std dev|Rx drift (/min)|Tx mean|Tx std dev|Tx drift (/min)|"
                         "as found (ppm)")
              .split(u'|');
    for (int i = 1; i <= asLeftColumns; ++i)
        names << QStringLiteral("as left %1 (ppm)").arg(i);
    // Added after the first records were kept: older files lack them, and
    // keep their header.
    names << QStringLiteral("tolerance (ppm)") << QStringLiteral("judgement")
          << QStringLiteral("as left counted");
    return joined(names);
}

QString isoTimeWithOffset(const QDateTime &time)
{
    // A local time names no offset of its own in ISO form: give it one, so a
    // record kept across a change to summer time still sorts and compares.
    const QDateTime fixed = time.toOffsetFromUtc(time.offsetFromUtc());
    QString text = fixed.toString(Qt::ISODate);
    if (text.endsWith(u'Z')) {
        text.chop(1);
        text += QStringLiteral("+00:00");
    }
    return text;
}

QString calibrationRow(const CalibrationEvent &e)
{
    const bool ran = e.kind != CalibrationKind::UndoZero && e.kind != CalibrationKind::UndoSpan;
    const bool span = e.kind == CalibrationKind::Span || e.kind == CalibrationKind::CheckSpan;
    QStringList fields {
        QString::number(e.number),
        QStringLiteral("calibration"),
        isoTimeWithOffset(e.time),
        e.port,
        e.device,
        e.version,
        kindText(e.kind),
        outcomeText(e),
        ran ? QString::number(e.samples) : QString(),
        span ? e.spanGas : QString(),
        span ? e.corrected : QString(),
        number(appliedGas(e), 0),
        e.temperatureShown,
        e.temperatureUnit,
        formatFixed(e.temperatureCelsius, 2),
        e.pressureShown,
        e.pressureUnit,
        formatFixed(e.pressureHectopascal, 2),
        e.beforeT,
        e.beforeR,
        e.afterT,
        e.afterR,
    };
    fields << signalFields(e.stability.reference) << signalFields(e.stability.co2);
    // A check's as found is the mean its verdict compared; a calibration's
    // the mean of the averaged readings, as the record has always kept it.
    if (isCheck(e.kind) && e.judgement)
        fields << formatFixed(e.judgement->asFoundPpm, 1);
    else
        fields << (e.trace.count() > 0 ? formatFixed(e.trace.mean(), 1) : QString());
    for (int i = 0; i < asLeftColumns; ++i)
        fields << QString();
    fields << (e.judgement ? formatFixed(e.judgement->tolerancePpm, 0) : QString())
           << (e.judgement && !e.judgement->passed() ? e.judgement->reasonCode() : QString())
           << QString();
    return joined(fields);
}

QString asLeftRow(const CalibrationEvent &e)
{
    QStringList fields {
        QString::number(e.number),
        QStringLiteral("as left"),
        isoTimeWithOffset(e.asLeftTime),
        e.port,
        e.device,
        e.version,
        kindText(e.kind),
    };
    // Nothing between the kind and the readings: they belong to the row above.
    while (fields.size() < columnsBeforeAsLeft)
        fields << QString();
    for (int i = 0; i < asLeftColumns; ++i)
        fields << (i < e.asLeft.size() ? plainDecimalText(e.asLeft[i]) : QString());
    fields << QString() << QString() << asLeftSpanText(countedAsLeft(e));
    return joined(fields);
}

AsLeftSpan countedAsLeft(const CalibrationEvent &e)
{
    // An undo's readings are kept too, but it names no gas to judge them by.
    const std::optional<double> applied = appliedGas(e);
    if (!applied)
        return {};
    AsLeftFigures figures;
    figures.appliedPpm = *applied;
    if (e.judgement) {
        figures.tolerancePpm = e.judgement->tolerancePpm;
        figures.noisePpm = e.judgement->noisePpm;
        figures.correctionPpm = e.judgement->differencePpm;
    } else {
        figures.tolerancePpm = toleranceAt({}, figures.appliedPpm);
    }
    return countedAsLeft(e.asLeft.mid(0, asLeftColumns), figures);
}

QString asLeftSpanText(const AsLeftSpan &span)
{
    if (span.count == 0)
        return {};
    const QString first = QString::number(span.first + 1);
    return span.count == 1 ? first : first + u'-' + QString::number(span.first + span.count);
}
