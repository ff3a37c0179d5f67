#include "calibration_report.h"

#include "shell/number_format.h"

namespace {

QString dateTime(const QDateTime &time)
{
    return time.toString(u"yyyy-MM-dd HH:mm");
}

QString signedText(double value)
{
    const QString text = formatFixed(value, 1);
    return value > 0 && text != u"0.0" ? u'+' + text : text;
}

QString outcomeSentence(const StoreResult &result)
{
    QString text = outcomeText(result);
    text[0] = text[0].toUpper();
    return text;
}

QString signalLine(const SignalStability &signal)
{
    QString text = QStringLiteral("mean ") + formatFixed(signal.mean(), 1);
    if (const auto sd = signal.standardDeviation())
        text += QStringLiteral(", std dev ") + formatFixed(*sd, 2);
    if (const auto drift = signal.driftPerMinute())
        text += QStringLiteral(", drift ") + formatFixed(*drift, 2) + QStringLiteral(" /min");
    return text;
}

// What the run's judgement found, in a sentence or two: the doubts that were
// overridden, or what it was that passed.
QString judgementText(const RunJudgement &j)
{
    if (!j.passed())
        return j.reasons().join(u' ');
    return QStringLiteral("Settled; as found within the tolerance of %1 ppm")
        .arg(formatFixed(j.tolerancePpm, 0));
}

ReportSection section(const CalibrationEvent &e, const CalibrationEvent *undo)
{
    const bool span = e.kind == CalibrationKind::Span;
    const QString pair = span ? QStringLiteral("TS / RS") : QStringLiteral("T0 / R0");
    const double applied = appliedGas(e).value_or(0);
    ReportSection s;
    s.heading = span ? QStringLiteral("Span calibration") : QStringLiteral("Zero calibration");
    s.lines << ReportLine {QStringLiteral("Date"), dateTime(e.time)}
            << ReportLine {QStringLiteral("Result"), outcomeSentence(e.result)};
    if (e.judgement)
        s.lines << ReportLine {QStringLiteral("Judgement"), judgementText(*e.judgement)};
    if (undo)
        s.lines << ReportLine {QStringLiteral("Undone"),
                               dateTime(undo->time) + QStringLiteral(": ")
                                   + outcomeText(undo->result)};
    s.lines << ReportLine {QStringLiteral("Samples"), QString::number(e.samples)};
    if (span)
        s.lines << ReportLine {QStringLiteral("Span gas"),
                               e.spanGas + QStringLiteral(" ppm, corrected to ") + e.corrected
                                   + QStringLiteral(" ppm")};
    s.lines << ReportLine {QStringLiteral("Ambient"),
                           e.temperatureShown + u' ' + e.temperatureUnit + QStringLiteral(", ")
                               + e.pressureShown + u' ' + e.pressureUnit}
            << ReportLine {pair + QStringLiteral(" before"),
                           e.beforeT + QStringLiteral(" / ") + e.beforeR}
            << ReportLine {pair + QStringLiteral(" after"),
                           e.afterT.isEmpty() ? QStringLiteral("none")
                                              : e.afterT + QStringLiteral(" / ") + e.afterR}
            << ReportLine {QStringLiteral("Reference signal"), signalLine(e.stability.reference)}
            << ReportLine {QStringLiteral("CO2 signal"), signalLine(e.stability.co2)};

    s.checks << ReportCheck {QStringLiteral("Applied gas"), formatFixed(applied, 0), {}}
             << ReportCheck {QStringLiteral("As found (mean of the run)"),
                             formatFixed(e.trace.mean(), 1), signedText(e.trace.mean() - applied)};
    if (e.asLeft.isEmpty()) {
        s.checks << ReportCheck {QStringLiteral("As left"), QStringLiteral("not read"), {}};
    } else {
        double sum = 0;
        for (double reading : e.asLeft)
            sum += reading;
        const double mean = sum / e.asLeft.size();
        s.checks << ReportCheck {
            QStringLiteral("As left (mean of %1 readings)").arg(e.asLeft.size()),
            formatFixed(mean, 1), signedText(mean - applied)};
    }
    s.samples = e.trace.points();
    s.appliedGas = applied;
    return s;
}

} // namespace

std::optional<CalibrationReport> calibrationReport(const QList<CalibrationEvent> &session,
                                                   const ReportFacts &facts)
{
    CalibrationReport report;
    report.title = QStringLiteral("Calibration Report");
    for (CalibrationKind kind : {CalibrationKind::Zero, CalibrationKind::Span}) {
        const CalibrationKind undoKind
            = kind == CalibrationKind::Zero ? CalibrationKind::UndoZero : CalibrationKind::UndoSpan;
        const CalibrationEvent *last = nullptr;
        const CalibrationEvent *undo = nullptr;
        for (const CalibrationEvent &event : session) {
            if (event.kind == kind) {
                last = &event;
                undo = nullptr;
            } else if (event.kind == undoKind && last)
                undo = &event;
        }
        if (last)
            report.sections << section(*last, undo);
    }
    if (report.sections.isEmpty())
        return std::nullopt;

    const CalibrationEvent &latest = session.last();
    report.header << ReportLine {QStringLiteral("Transmitter type and serial number"),
                                 facts.typeAndSerial}
                  << ReportLine {QStringLiteral("Software version"),
                                 facts.version.isEmpty() ? QStringLiteral("?") : facts.version}
                  << ReportLine {QStringLiteral("Port"),
                                 latest.port + QStringLiteral(" (") + latest.device + u')'}
                  << ReportLine {QStringLiteral("Printed"), dateTime(facts.printed)};
    return report;
}
