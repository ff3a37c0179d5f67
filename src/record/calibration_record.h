#pragma once

#include "judgement/as_left.h"
#include "judgement/run_judgement.h"
#include "judgement/run_stability.h"

#include <QDateTime>
#include <QList>
#include <QPointF>
#include <QString>

#include <optional>

// The technician's record of every calibration: one CSV file, one row per
// stored, failed or refused zero or span point, per undo and per accuracy
// check, and a second row "as left" with the first readings after a store and
// which of them were still on the run's gas. Everything here is worked out
// without the window; the window gathers the values.

// The record's file, in the program's data folder.
inline const QString recordFileName = QStringLiteral("calibrations.csv");

// An accuracy check compares the transmitter with a gas and writes nothing.
enum class CalibrationKind { Zero, Span, UndoZero, UndoSpan, CheckZero, CheckSpan };

// What an accuracy check found: within the tolerance, outside it, or a gas
// that had not settled (its figures are no verdict on the transmitter).
enum class CheckOutcome { Pass, Fail, NotSettled };

// What became of a point the window tried to store.
struct StoreResult {
    enum class Outcome {
        Stored,
        NotAnswered, // `detail` is the command the transmitter did not answer
        Rejected, // ... the command it answered with "ERROR"
        Refused, // nothing was sent; `detail` says why
        PortClosed,
    };
    StoreResult() = default;
    StoreResult(Outcome outcome, QString detail = {})
        : outcome(outcome), detail(std::move(detail))
    {
    }

    Outcome outcome = Outcome::Stored;
    QString detail;
    // The doubt about the run that the technician overrode to store it.
    QString warning;
};

// The concentrations the transmitter reported during a run: their mean over
// every sample, and a plot's worth of them. A long run keeps every second,
// fourth, ... sample, so the plot stays bounded and still spans the run.
class RunTrace {
public:
    static constexpr qsizetype maximumPoints = 1000;

    void add(double seconds, double ppm);
    int count() const { return m_count; }
    double mean() const { return m_mean; }
    // Seconds from the run's first sample, and ppm.
    const QList<QPointF> &points() const { return m_points; }

private:
    int m_count = 0;
    double m_mean = 0;
    double m_start = 0;
    int m_stride = 1;
    QList<QPointF> m_points;
};

struct CalibrationEvent {
    int number = 0; // links the "as left" row to its event
    QDateTime time;
    QString port; // "COM1"
    QString device; // what COM1 stands for
    QString version; // the transmitter's software version; empty when not read
    CalibrationKind kind = CalibrationKind::Zero;
    StoreResult result; // of a zero, span or undo
    CheckOutcome check = CheckOutcome::Pass; // of an accuracy check
    int samples = 0;
    QString spanGas, corrected; // ppm, as entered and as shown (span only)
    QString temperatureShown, temperatureUnit, pressureShown, pressureUnit;
    double temperatureCelsius = 0, pressureHectopascal = 0;
    QString beforeT, beforeR; // what the transmitter held
    QString afterT, afterR; // what was written (or was to be)
    RunStability stability;
    RunTrace trace;
    std::optional<RunJudgement> judgement; // of a zero, span or check run
    QList<double> asLeft; // the first readings after the store (ppm)
    QDateTime asLeftTime; // when the last of them came
};

// The gas the transmitter was calibrated on or checked against: 0 ppm for a
// zero, the corrected concentration for a span; none for an undo.
std::optional<double> appliedGas(const CalibrationEvent &event);

// The event's "as left" readings that were still on its gas, judged by the
// figures of its run; none without readings, and none for an undo.
AsLeftSpan countedAsLeft(const CalibrationEvent &event);
// "1" or "2-5": the places of the counted readings among the as-left
// columns, as the record's last column gives them; "" for none.
QString asLeftSpanText(const AsLeftSpan &span);

// "zero", "span", "undo zero", "undo span", "check zero", "check span".
QString kindText(CalibrationKind kind);
// "stored", "stored after warning: <doubt>", "not answered: SAVE",
// "rejected: R020000", "refused: <reason>", "port closed".
QString outcomeText(const StoreResult &result);
// "pass", "fail", "not settled".
QString checkOutcomeText(CheckOutcome outcome);
bool isCheck(CalibrationKind kind);
// The event's outcome as its row gives it: a store's or a check's.
QString outcomeText(const CalibrationEvent &event);

// A field as CSV writes it: quoted, with its quotes doubled, when it holds a
// comma, a quote or a line end.
QString csvField(const QString &text);

QString calibrationRecordHeader();
// The event's row, and its "as left" row with the readings after the store.
QString calibrationRow(const CalibrationEvent &event);
QString asLeftRow(const CalibrationEvent &event);

// Date, time and offset from UTC: "2026-12-06T14:05:00+01:00".
QString isoTimeWithOffset(const QDateTime &time);
