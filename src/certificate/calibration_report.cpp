#include "calibration_report.h"

#include "certificate/result_uncertainty.h"
#include "shell/number_format.h"

#include <QHash>

#include <algorithm>
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

// The figure a verdict rests on: a check's as found, a calibration's as left,
// with where it came from and the standard error of its mean.
struct Result {
    std::optional<double> ppm;
    const CalibrationEvent *from = nullptr; // the run whose readings give it
    const CalibrationEvent *check = nullptr; // a calibration's as left from a check
    AsLeftSpan counted; // ... else from these readings after its store
    double standardErrorPpm = 0;
};

bool sameGas(const CalibrationEvent &a, const CalibrationEvent &b)
{
    return std::lround(appliedGas(a).value_or(-1)) == std::lround(appliedGas(b).value_or(-2));
}

// A check of the calibrated point's gas before anything changed that point
// again shows what the calibration left, on a run of its own; a check whose
// gas had not settled shows nothing.
const CalibrationEvent *checkAfter(const QList<CalibrationEvent> &session, qsizetype index)
{
    const CalibrationEvent &calibration = session[index];
    const bool zero = atZero(calibration.kind);
    for (qsizetype i = index + 1; i < session.size(); ++i) {
        const CalibrationEvent &e = session[i];
        if (atZero(e.kind) != zero)
            continue;
        if (!isCheck(e.kind))
            return nullptr; // calibrated again, or undone
        if (e.check != CheckOutcome::NotSettled && e.judgement && sameGas(e, calibration))
            return &e;
    }
    return nullptr;
}

Result resultOf(const QList<CalibrationEvent> &session, qsizetype index)
{
    const CalibrationEvent &e = session[index];
    Result r;
    if (isCheck(e.kind)) {
        r.ppm = asFound(e);
        r.from = &e;
        r.standardErrorPpm = e.judgement ? e.judgement->standardErrorPpm() : 0;
        return r;
    }
    if (e.result.outcome != StoreResult::Outcome::Stored)
        return r;
    if ((r.check = checkAfter(session, index))) {
        r.ppm = r.check->judgement->asFoundPpm;
        r.from = r.check;
        r.standardErrorPpm = r.check->judgement->standardErrorPpm();
        return r;
    }
    r.counted = countedAsLeft(e);
    if (r.counted.count == 0)
        return r;
    double sum = 0;
    for (double reading : e.asLeft.mid(r.counted.first, r.counted.count))
        sum += reading;
    r.ppm = sum / double(r.counted.count);
    r.from = &e;
    // The run's noise for each reading: the averaged values after the store
    // are steadier than that, so the figure errs on the safe side.
    if (e.judgement)
        r.standardErrorPpm = e.judgement->noisePpm / std::sqrt(double(r.counted.count));
    return r;
}

QString ppm(std::optional<double> value)
{
    return value ? formatFixed(*value, 1) : QStringLiteral("-");
}

QString checkVerdict(CheckOutcome outcome)
{
    switch (outcome) {
    case CheckOutcome::Pass:
        return QStringLiteral("PASS");
    case CheckOutcome::Fail:
        return QStringLiteral("FAIL");
    case CheckOutcome::NotSettled:
        break;
    }
    return QStringLiteral("NOT SETTLED");
}

QString verdictOf(const CalibrationEvent &e, const Result &left, bool undone)
{
    if (isCheck(e.kind))
        return checkVerdict(e.check);
    if (e.result.outcome != StoreResult::Outcome::Stored)
        return QStringLiteral("NOT STORED");
    if (undone)
        return QStringLiteral("UNDONE");
    if (left.check)
        return checkVerdict(left.check->check);
    // Nothing measured after the store is no failure of the transmitter.
    if (!left.ppm || !e.judgement)
        return QStringLiteral("STORED");
    return std::abs(*left.ppm - appliedGas(e).value_or(0)) <= e.judgement->tolerancePpm
        ? QStringLiteral("PASS")
        : QStringLiteral("FAIL");
}

// Where a calibration's as left came from, where that is not simply its
// readings after the store.
QString asLeftSource(const CalibrationEvent &e, const Result &left)
{
    if (isCheck(e.kind) || e.result.outcome != StoreResult::Outcome::Stored)
        return {};
    if (left.check)
        return QStringLiteral("As left from the check at %1.")
            .arg(left.check->time.toString(u"HH:mm"));
    if (!left.ppm)
        return QStringLiteral("As left not measured.");
    if (left.counted.count < e.asLeft.size())
        return QStringLiteral("As left from %1 %2 of the %3 after the store; the rest were set "
                              "aside (the next gas, or an average from before the store).")
            .arg(left.counted.count == 1 ? QStringLiteral("reading") : QStringLiteral("readings"),
                 asLeftSpanText(left.counted))
            .arg(e.asLeft.size());
    return {};
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

ReportResult reportResult(const QList<CalibrationEvent> &session, qsizetype index,
                          const CalibrationEvent *undo, const QDate &day,
                          const ReportAnswers &answers)
{
    const CalibrationEvent &e = session[index];
    const double applied = appliedGas(e).value_or(0);
    const std::optional<double> found = asFound(e);
    const Result left = resultOf(session, index);
    ReportResult r;
    r.time = e.time.toString(e.time.date() == day ? u"HH:mm" : u"MM-dd HH:mm");
    r.point = pointText(e.kind);
    r.applied = formatFixed(applied, 0);
    r.asFound = ppm(found);
    r.asLeft = ppm(left.ppm);
    r.foundDifference = found ? signedText(*found - applied) : QString();
    r.leftDifference = left.ppm ? signedText(*left.ppm - applied) : QString();
    r.tolerance = e.judgement ? u'±' + formatFixed(e.judgement->tolerancePpm, 0) : QString();
    if (left.from) {
        const QString stated
            = atZero(e.kind) ? answers.zeroGasUncertainty : answers.spanGasUncertainty;
        r.uncertainty = u'±'
            + formatFixed(resultUncertainty(*left.from, stated, left.standardErrorPpm).expanded(),
                          1);
    }
    r.verdict = verdictOf(e, left, undo != nullptr);
    r.judgement = (judgementOf(e, undo) + u' ' + asLeftSource(e, left)).trimmed();
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

// " ± 2 %" from a stated uncertainty however it was typed; "" for none.
QString plusMinus(QString uncertainty)
{
    uncertainty.remove(u'±').remove(QStringLiteral("+/-"));
    return uncertainty.trimmed().isEmpty() ? QString()
                                           : QStringLiteral(" ± ") + uncertainty.trimmed();
}

QString spanGasText(const ReportAnswers &a)
{
    QStringList parts;
    if (!a.spanGasLot.isEmpty())
        parts << a.spanGasLot;
    if (!a.spanGasCertified.isEmpty())
        parts << QStringLiteral("certified ") + a.spanGasCertified + QStringLiteral(" ppm")
                + plusMinus(a.spanGasUncertainty);
    return orNotGiven(parts.join(QStringLiteral(", ")));
}

QString zeroGasText(const ReportAnswers &a)
{
    const QString stated = plusMinus(a.zeroGasUncertainty);
    if (a.zeroGas.isEmpty())
        return stated.isEmpty() ? orNotGiven({}) : stated.mid(1);
    return a.zeroGas + stated;
}

// How U was put together, and which gas's own uncertainty was missing from it.
QString uncertaintyNote(const QList<CalibrationEvent> &session, const QList<qsizetype> &shown,
                        const ReportAnswers &a)
{
    QString note = QStringLiteral(
        "U: expanded uncertainty (k = 2) of the figure each verdict rests on (a check's as "
        "found, a calibration's as left), 2 × the root sum of squares of the reference gas's "
        "stated uncertainty (taken as k = 2, so halved), the standard error of the mean reading "
        "(from the run's noise), the 1 ppm resolution (1/√12 ppm) and, at the span, the change "
        "of the corrected concentration across the last typed digit of pressure and "
        "temperature (/√12).");
    QStringList missing;
    for (const bool zero : {true, false}) {
        const QString &stated = zero ? a.zeroGasUncertainty : a.spanGasUncertainty;
        const bool used = std::any_of(shown.begin(), shown.end(),
                                      [&](qsizetype i) { return atZero(session[i].kind) == zero; });
        if (used && !referenceUncertainty(stated, zero ? 0 : 1))
            missing << (zero ? QStringLiteral("zero gas's") : QStringLiteral("span gas's"));
    }
    if (!missing.isEmpty())
        note += QStringLiteral(" Not included, as the form gave none: the %1 uncertainty.")
                    .arg(missing.join(QStringLiteral(" and the ")));
    return note;
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
        report.results << reportResult(session, i, undoOf.value(i), day, a);
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

    report.uncertaintyNote = uncertaintyNote(session, shown, a);
    // The verdict on the page is the one the technician saw and acted on at
    // the bench; U is there for the reader to weigh a result near the limit.
    report.decisionRule = QStringLiteral(
        "Decision rule: simple acceptance. PASS when the result differs from the gas by no more "
        "than the tolerance, FAIL otherwise; U is stated beside it and neither widens nor "
        "narrows the tolerance.");

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
                      << ReportLine {QStringLiteral("Zero gas"), zeroGasText(a)}
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
