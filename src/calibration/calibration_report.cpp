#include "calibration_report.h"

#include "shell/number_format.h"

#include <QHash>

#include <cmath>

namespace {

QString signedText(double value)
{
    const QString text = formatFixed(value, 1);
    return value > 0 && text != u"0.0" ? u'+' + text : text;
}

bool isCalibration(CalibrationKind kind)
{
    return kind == CalibrationKind::Zero || kind == CalibrationKind::Span;
}

bool atZero(CalibrationKind kind)
{
    return kind == CalibrationKind::Zero || kind == CalibrationKind::CheckZero
        || kind == CalibrationKind::UndoZero;
}

QString pointText(CalibrationKind kind)
{
    switch (kind) {
    case CalibrationKind::Zero:
        return QStringLiteral("Zero calibration");
    case CalibrationKind::Span:
        return QStringLiteral("Span calibration");
    case CalibrationKind::CheckZero:
        return QStringLiteral("Check zero");
    case CalibrationKind::CheckSpan:
        return QStringLiteral("Check span");
    default:
        return {};
    }
}

// The record's kind text as the report names it.
QString pointText(const QString &recordKind)
{
    for (CalibrationKind kind : {CalibrationKind::Zero, CalibrationKind::Span,
                                 CalibrationKind::CheckZero, CalibrationKind::CheckSpan})
        if (kindText(kind) == recordKind)
            return pointText(kind);
    return recordKind;
}

QString sentences(const QStringList &reasons)
{
    return reasons.join(QStringLiteral(". ")) + u'.';
}

std::optional<double> asFound(const CalibrationEvent &e)
{
    if (e.judgement)
        return e.judgement->asFoundPpm;
    if (e.trace.count() > 0)
        return e.trace.mean();
    return std::nullopt;
}

std::optional<double> asLeft(const CalibrationEvent &e)
{
    if (isCheck(e.kind))
        return asFound(e);
    if (e.result.outcome != StoreResult::Outcome::Stored || e.asLeft.isEmpty())
        return std::nullopt;
    double sum = 0;
    for (double reading : e.asLeft)
        sum += reading;
    return sum / e.asLeft.size();
}

QString ppm(std::optional<double> value)
{
    return value ? formatFixed(*value, 1) : QStringLiteral("-");
}

QString verdictOf(const CalibrationEvent &e, std::optional<double> left, bool undone)
{
    if (isCheck(e.kind)) {
        switch (e.check) {
        case CheckOutcome::Pass:
            return QStringLiteral("PASS");
        case CheckOutcome::Fail:
            return QStringLiteral("FAIL");
        case CheckOutcome::NotSettled:
            return QStringLiteral("NOT SETTLED");
        }
    }
    if (e.result.outcome != StoreResult::Outcome::Stored)
        return QStringLiteral("NOT STORED");
    if (undone)
        return QStringLiteral("UNDONE");
    // A calibration passes when what it left reads the gas within tolerance.
    if (!left || !e.judgement)
        return QStringLiteral("STORED");
    return std::abs(*left - appliedGas(e).value_or(0)) <= e.judgement->tolerancePpm
        ? QStringLiteral("PASS")
        : QStringLiteral("FAIL");
}

QString judgementOf(const CalibrationEvent &e, const CalibrationEvent *undo)
{
    QString text;
    if (e.judgement)
        text = e.judgement->passed() ? QStringLiteral("Settled.")
                                     : sentences(e.judgement->reasons());
    if (isCalibration(e.kind)) {
        if (e.result.outcome != StoreResult::Outcome::Stored) {
            QString outcome = outcomeText(e.result);
            outcome[0] = outcome[0].toUpper();
            text = outcome + QStringLiteral(". ") + text;
        } else if (!e.result.warning.isEmpty()) {
            text = QStringLiteral("Stored after the technician overrode the doubts: ") + text;
        }
        if (undo)
            text += QStringLiteral(" Undone at %1.").arg(undo->time.toString(u"HH:mm"));
    }
    return text.trimmed();
}

ReportResult resultOf(const CalibrationEvent &e, const CalibrationEvent *undo, const QDate &day)
{
    const double applied = appliedGas(e).value_or(0);
    const std::optional<double> found = asFound(e);
    const std::optional<double> left = asLeft(e);
    ReportResult r;
    r.time = e.time.toString(e.time.date() == day ? u"HH:mm" : u"MM-dd HH:mm");
    r.point = pointText(e.kind);
    r.applied = formatFixed(applied, 0);
    r.asFound = ppm(found);
    r.asLeft = ppm(left);
    r.foundDifference = found ? signedText(*found - applied) : QString();
    r.leftDifference = left ? signedText(*left - applied) : QString();
    r.tolerance = e.judgement ? u'±' + formatFixed(e.judgement->tolerancePpm, 0) : QString();
    r.verdict = verdictOf(e, left, undo != nullptr);
    r.judgement = judgementOf(e, undo);
    return r;
}

QString ambientOf(const CalibrationEvent &e)
{
    return e.temperatureShown + u' ' + e.temperatureUnit + QStringLiteral(", ") + e.pressureShown
        + u' ' + e.pressureUnit;
}

QString orNotGiven(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("not given") : text;
}

QString spanGasText(const ReportAnswers &a)
{
    QStringList parts;
    if (!a.spanGasLot.isEmpty())
        parts << a.spanGasLot;
    if (!a.spanGasCertified.isEmpty()) {
        QString certified
            = QStringLiteral("certified ") + a.spanGasCertified + QStringLiteral(" ppm");
        QString uncertainty = a.spanGasUncertainty;
        uncertainty.remove(u'±').remove(QStringLiteral("+/-"));
        if (!uncertainty.trimmed().isEmpty())
            certified += QStringLiteral(" ± ") + uncertainty.trimmed();
        parts << certified;
    }
    return orNotGiven(parts.join(QStringLiteral(", ")));
}

} // namespace

QList<qsizetype> reportedEvents(const QList<CalibrationEvent> &session)
{
    QList<qsizetype> shown;
    for (qsizetype i = session.size() - 1; i >= 0 && shown.size() < maximumReportResults; --i)
        if (isCalibration(session[i].kind) || isCheck(session[i].kind))
            shown.prepend(i);
    return shown;
}

std::optional<CalibrationReport> calibrationReport(const QList<CalibrationEvent> &session,
                                                   const ReportFacts &facts)
{
    const QList<qsizetype> shown = reportedEvents(session);
    if (shown.isEmpty())
        return std::nullopt;

    // An undo takes back the latest calibration of its point before it.
    QHash<qsizetype, const CalibrationEvent *> undoOf;
    qsizetype lastZero = -1, lastSpan = -1;
    for (qsizetype i = 0; i < session.size(); ++i) {
        const CalibrationKind kind = session[i].kind;
        if (kind == CalibrationKind::Zero)
            lastZero = i;
        else if (kind == CalibrationKind::Span)
            lastSpan = i;
        else if (kind == CalibrationKind::UndoZero && lastZero >= 0)
            undoOf.insert(std::exchange(lastZero, -1), &session[i]);
        else if (kind == CalibrationKind::UndoSpan && lastSpan >= 0)
            undoOf.insert(std::exchange(lastSpan, -1), &session[i]);
    }

    const ReportAnswers &a = facts.answers;
    const CalibrationEvent &latest = session[shown.last()];
    const QDate day = latest.time.date();
    CalibrationReport report;
    report.title = QStringLiteral("Calibration Certificate");
    report.certificate = QStringLiteral("Certificate No. ") + a.certificate;
    report.fileName = reportFileName(a.type, a.serial, facts.printed.date());

    QStringList ambient;
    for (qsizetype i : shown) {
        const CalibrationEvent &e = session[i];
        report.results << resultOf(e, undoOf.value(i), day);
        if (!e.temperatureShown.isEmpty() && !ambient.contains(ambientOf(e)))
            ambient << ambientOf(e);
    }
    const qsizetype earlier
        = std::count_if(session.begin(), session.end(),
                        [](const auto &e) { return isCalibration(e.kind) || isCheck(e.kind); })
        - shown.size();
    if (earlier > 0)
        report.resultsNote = QStringLiteral("%1 earlier result(s) of this session are in the "
                                            "calibration record.")
                                 .arg(earlier);

    report.calibration
        << ReportLine {QStringLiteral("Company or laboratory"), orNotGiven(a.laboratory)}
        << ReportLine {QStringLiteral("Technician"), orNotGiven(a.technician)}
        << ReportLine {QStringLiteral("Date of calibration"), day.toString(u"yyyy-MM-dd")}
        << ReportLine {QStringLiteral("Next calibration due"),
                       day.addMonths(a.intervalMonths.toInt()).toString(u"yyyy-MM-dd")}
        << ReportLine {QStringLiteral("Printed"), facts.printed.toString(u"yyyy-MM-dd HH:mm")};
    report.transmitter << ReportLine {QStringLiteral("Transmitter type"), a.type}
                       << ReportLine {QStringLiteral("Serial number"), a.serial}
                       << ReportLine {QStringLiteral("Software version"),
                                      facts.version.isEmpty() ? QStringLiteral("?")
                                                              : facts.version};
    report.conditions << ReportLine {QStringLiteral("Port"), facts.port}
                      << ReportLine {QStringLiteral("Ambient"),
                                     orNotGiven(ambient.join(QStringLiteral("; ")))}
                      << ReportLine {QStringLiteral("Zero gas"), orNotGiven(a.zeroGas)}
                      << ReportLine {QStringLiteral("Span gas"), spanGasText(a)};

    for (const bool zero : {true, false}) {
        ReportPlot plot;
        plot.title = zero ? QStringLiteral("Zero point: ppm against seconds of the run")
                          : QStringLiteral("Span point: ppm against seconds of the run");
        for (auto i = shown.crbegin(); i != shown.crend(); ++i) {
            const CalibrationEvent &e = session[*i];
            if (atZero(e.kind) != zero || e.trace.points().isEmpty())
                continue;
            if (plot.runs.isEmpty())
                plot.appliedGas = appliedGas(e).value_or(0);
            if (plot.runs.size() < maximumRunsPerPlot)
                plot.runs.prepend({e.time.toString(u"HH:mm ")
                                       + (isCheck(e.kind) ? QStringLiteral("check")
                                                          : QStringLiteral("calibration")),
                                   e.trace.points()});
        }
        if (!plot.runs.isEmpty())
            report.plots << plot;
    }

    report.historyHeading
        = QStringLiteral("Earlier checks and calibrations of serial number ") + a.serial;
    const QList<HistoryEntry> history
        = facts.history.mid(std::max<qsizetype>(0, facts.history.size() - maximumHistoryRows));
    for (const HistoryEntry &h : history)
        report.history << ReportHistoryRow {h.time.toString(u"yyyy-MM-dd"),
                                            h.certificate,
                                            pointText(h.kind),
                                            h.applied,
                                            h.asFound.isEmpty() ? QStringLiteral("-") : h.asFound,
                                            h.asLeft.isEmpty() ? QStringLiteral("-") : h.asLeft};
    if (facts.history.isEmpty())
        report.historyNote = QStringLiteral("None: no earlier certificate in the calibration "
                                            "record names this serial number.");
    else if (facts.history.size() > history.size())
        report.historyNote = QStringLiteral("The latest %1 of %2; the rest are in the "
                                            "calibration record.")
                                 .arg(history.size())
                                 .arg(facts.history.size());

    report.signatures << QStringLiteral("Technician") << QStringLiteral("Reviewer");
    return report;
}
