#pragma once

#include "calibration/preferences.h"
#include "calibration/run_texts.h"
#include "judgement/run_judgement.h"
#include "judgement/run_stability.h"
#include "link/line_log.h"
#include "measure/reading_record.h"
#include "platform/boxes.h"
#include "platform/platform.h"
#include "platform/printer.h"
#include "record/calibration_record.h"
#include "session/status_line.h"

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class CalibrationJournal;
class RecordingSerialPort;
class SerialPort;
class Timer;
namespace Transmitter {
struct Query;
}

// The gas and the ambient as the technician has entered them, read whenever
// a run starts or ends and whenever a row goes into the record: the entries
// may change during a run.
struct GasAndAmbient {
    QString spanGas; // ppm, as typed
    QString corrected; // the corrected concentration, as shown
    QString temperatureShown, temperatureUnit;
    QString pressureShown, pressureUnit;
    double temperatureCelsius = 25, pressureHectopascal = 1013;
};

// How a run, a store, an undo or a check ended, for every view to tell.
struct SessionOutcome {
    QString message; // for a message area; empty when there is nothing to add
    QString how; // "stored", "cancelled", "refused", "undone", "PASS", ...
    QString run; // whose figures it ends ("Zero calibration"); empty: the latest run's
    QString marker; // a mark on a trend: "zero stored"
    QString figures; // what a store left: "T0 12346, R0 23456"; empty for the rest
};

// One transmitter's whole life on its serial line: the port and the exchange
// of one command at a time, the two-second reading poll, the reopening of a
// lost port, calibration runs and accuracy checks with their judgement, the
// store and undo sequences, the "as left" readings and the rows handed to the
// calibration record, the parameter download, printout and relay levels.
//
// It owns no widget. A view (the window, a row of the bench) shows its state
// as the signals below announce changes, and forwards the technician's
// clicks; boxes, beeps, the clock and the port come through the platform, so
// a test drives a whole calibration on a fake port and a fake clock.
//
// The members are defined in the folder of their subsystem:
//   link/         the port, the reply wait, reopening a lost port
//   measure/      the reading poll
//   calibration/  runs, zero and span, store and undo, return to idle
//   config/       parameter download, printout, relay levels
// and of what goes beyond those:
//   judgement/    the accuracy check (accuracy_check_run.cpp)
//   record/       the rows handed to the calibration record (calibration_log.cpp)
//   certificate/  the certificate of the session (certificate_issue.cpp)
class TransmitterSession : public QObject {
    Q_OBJECT

public:
    explicit TransmitterSession(const Platform &platform, QObject *parent = nullptr);
    ~TransmitterSession() override;

    // ---- Values, under the names the tool has always given them ------------
    QByteArray RxBuffer; // what the last reply wait gathered
    bool ReplyTimedOut = false;
    bool ZeroCalibrationRunning = false;
    bool SpanCalibrationRunning = false;
    double NumberOfSamples = 100;
    double TubeCoefficient = 0.2;
    // The last valid reading; unset until the first one.
    std::optional<double> RxValue, TxValue, ppmValue, avgValue;
    double RxMean = 0;
    double TxMean = 0;
    int SampleCount = 0;
    // Numbers at one time and their whole-number texts at another; kept as
    // text throughout (a number as its exact plain decimal text), empty = unset.
    QString NewT0, NewR0, NewTS, NewRS;
    QString TransmitterSpan;
    QString PreviousT0, PreviousR0, PreviousTS, PreviousRS;
    QString RelayOnLevel, RelayOffLevel;
    QString TransmitterTypeAndSerial;
    std::unique_ptr<Timer> Timer1; // the 2000 ms reading poll
    std::unique_ptr<Timer> TimeOutTimer; // the reply wait's time-out

    // ---- What a view shows -----------------------------------------------------
    const StatusLine &status() const { return m_status; }
    void setStatus(const QString &text, StatusColour colour);
    // The large display: the reading, "????" or "sample", and its unit.
    QString displayValue() const { return m_displayValue; }
    QString displayUnit() const { return m_displayUnit; }
    // The view's entries of the gas and the ambient; none set reads as the
    // start-up values with no span gas.
    void setAmbient(std::function<GasAndAmbient()> ambient) { m_ambient = std::move(ambient); }
    GasAndAmbient ambient() const { return m_ambient ? m_ambient() : GasAndAmbient {}; }
    // The reading's identity beyond its port, once known: "VER" answered.
    QString version() const { return m_version; }

    // ---- The line (link/) --------------------------------------------------------
    // The port as the session uses it: every byte is also told to the listener.
    SerialPort &port();
    void setLineListener(std::function<void(LineDirection, const QByteArray &)> listener);
    bool isOpen() const;
    // "COM1", or what a bench calls the device; empty before any port is chosen.
    QString portName() const;
    void setPortName(QString name) { m_portName = std::move(name); }
    // Opens port `number` with the line settings the port holds and sends the
    // one control character `greeting` (end of text after start-up and after
    // a lost device, backspace after a choice); closes it again when either
    // fails. Opening ends any wait for a lost device.
    bool openPort(int number, char greeting);
    // The technician's choice of port: refused during a run; "The Com Port
    // is not available" when it cannot be opened.
    bool selectPort(int number);
    // The technician closes the port: refused during a run.
    bool closePort();
    // The port closed itself (a pulled USB adapter, a device error): the run
    // ends, and the same port is tried again every second.
    void onPortLost();
    bool waitingForDevice() const;
    // The window closes: the "as left" readings end, no device is waited for.
    void shutDown();

    // Who uses the line: nobody, the reading poll, or an operation of the
    // technician's. One exchange at a time: while the line is in use, no poll
    // starts and no other operation talks.
    enum class LineUser { Idle, Poll, Operation };
    enum class Answer {
        Answered, // its prompt came in time
        Silent, // no prompt within the time-out
        Rejected, // a prompt after "ERROR": the transmitter refused the command
    };
    // What an operation does when a command is not answered or refused; an
    // operation without a `rejected` step takes a refusal as an answer.
    struct LinkFailure {
        std::function<void()> silent;
        std::function<void()> rejected;
    };
    // Gathers the reply in RxBuffer until its last character is `terminator`
    // (true) or `timeout` has passed (false).
    bool WaitForReply(std::chrono::milliseconds timeout, char terminator);
    void TimeOutTimer_Timer();
    // One command out and its reply in RxBuffer.
    Answer send(const QByteArray &command, std::chrono::milliseconds timeout,
                LineUser user = LineUser::Operation);
    // Sends, and on silence or refusal runs the failure's step: true when
    // the operation may go on.
    bool sendOrFail(const QByteArray &command, std::chrono::milliseconds timeout,
                    const LinkFailure &failure);
    // True (and a beep, or the handler kept for later) while the line is in
    // use: a second exchange would share RxBuffer with the first.
    bool lineInUse(const std::function<void()> &handler = {});
    bool lineFree() const { return m_lineUser == LineUser::Idle; }

    // ---- The reading poll (measure/) --------------------------------------------
    void Timer1_Timer();
    const RecentReadings &recentReadings() const { return m_recentReadings; }
    // The poll in halves, for a bench that asks all its transmitters at once
    // and gathers their replies in one wait: beginPoll() sends "X" (false,
    // and nothing sent, while the line is in use or the port closed);
    // pollReplyComplete() adds what has arrived to RxBuffer and tells whether
    // the prompt came; endPoll() takes the reply, or its absence, as the
    // two-second poll does.
    bool beginPoll();
    bool pollReplyComplete();
    void endPoll(bool replied);

    // ---- Calibration (calibration/) ---------------------------------------------
    // A calibration or an accuracy check: both sample and hold off the same
    // operations.
    bool calibrationRunning() const
    {
        return ZeroCalibrationRunning || SpanCalibrationRunning || m_check.has_value();
    }
    // A run takes samples until its last one; the polls behind the boxes of
    // its end show readings again.
    bool sampling() const { return calibrationRunning() && !m_runComplete; }
    RunKind runKind() const;
    // "Zero calibration", "Span check", ...
    QString runName() const;
    // Beeps and says "Not possible during calibration!" when a run is under way.
    bool refusedDuringCalibration();

    // The zero calibration as the Zero button starts it: the port, the
    // question, the transmitter's T0 and R0, the run.
    void startZeroCalibration();
    // T0 and R0 read (kept for the undo) and the run started; false, with
    // what went wrong told, when the transmitter did not give them.
    bool beginZeroRun();
    // The span calibration as the Span button starts it: the port, the zero
    // point, the transmitter's span, the questions, TS and RS, the run.
    void startSpanCalibration();
    // The checks before the span questions: a zero point, the transmitter's
    // span, both concentrations usable.
    bool prepareSpanRun();
    // Whether the corrected concentration lies within 10 % of the
    // transmitter's span, as the span calibration requires to be accurate.
    bool spanGasNearSpan() const;
    // TS and RS read (kept for the undo) and the run started.
    bool beginSpanRun();
    // An accuracy check as its menu item starts it: the port, a usable gas,
    // the question, the run.
    void startCheck(CalibrationKind kind);
    bool beginCheck(CalibrationKind kind);
    // The one way back to idle: the Cancel button, a poll without reply, a
    // failed store and the end of every run all come through here.
    void returnToIdle();

    // Replace their arguments by their whole-number texts before sending them;
    // `kind` says for the record whether a run's result or an undo is stored.
    void StoreZeroPoint(QString &t0, QString &r0, CalibrationKind kind = CalibrationKind::Zero);
    void StoreSpanPoint(QString &ts, QString &rs, CalibrationKind kind = CalibrationKind::Span);
    // The undo as its menu item starts it: the port, the question, the store
    // of the earlier pair, "NOTEST".
    void undoZeroCalibration();
    void undoSpanCalibration();
    // Once per completed run; an undo uses it up.
    bool undoZeroAvailable() const { return m_undoZero; }
    bool undoSpanAvailable() const { return m_undoSpan; }

    // A bench decides the doubtful runs of all its transmitters in one
    // question and sums up the checks itself: with held decisions a doubtful
    // run waits (awaitingDecision()) for decideHeldRun(), and a check ends
    // without a box.
    void setHeldDecisions(bool held) { m_heldDecisions = held; }
    bool awaitingDecision() const { return m_awaitingDecision; }
    void decideHeldRun(bool store);

    // The figures of the run under way or of the last one.
    const RunStability &runStability() const { return m_runStability; }
    const ReadingSeries &runReadings() const { return m_runReadings; }
    const std::optional<RunJudgement> &runJudgement() const { return m_runJudgement; }
    // What the last check found; none before the first.
    std::optional<CheckOutcome> lastCheck() const { return m_lastCheck; }

    // Kept between sessions (tolerance, the report form's answers).
    Preferences preferences() const;
    // The "as left" readings end here: a run starts, the program ends.
    void finishAsLeft();

    // ---- The certificate (certificate/) ------------------------------------------
    // The session's checks and calibrations, for the report.
    QList<CalibrationEvent> events() const;
    // Asks "VER" if the version is not known yet; a transmitter that does not
    // say keeps it unknown.
    void askVersion();
    // The certificate of the session made with `answers` and printed or
    // saved; an issued one has its row in the record.
    PrintOutcome issueCertificate(const ReportAnswers &answers, Printer &printer);

    // ---- Transmitter configuration (config/) ------------------------------------
    void downloadParameterFile(); // Files, Open Parameter File
    void printParameters(); // Files, Print Transmitter Parameters
    void setRelayTriggerPoints(); // Relay, Relay Trigger Point

signals:
    void statusChanged();
    void displayChanged();
    // A valid reading came; `sampled` when it is a sample of the run.
    void readingArrived(const Reading &reading, bool sampled);
    // A poll brought no valid reading (no reply, a malformed one, no port).
    void readingMissed();
    void runStarted();
    void runProgressed();
    // The buttons' state: a run began, or the session is idle again.
    void runStateChanged();
    void undoChanged();
    void outcome(const SessionOutcome &outcome);
    // A sentence for a message area: a cancelled run, a row not yet written,
    // where a download stopped.
    void notice(const QString &text);
    // A line of the session's own among the line's traffic.
    void lineNote(const QString &text);
    // The port opened, closed, vanished or came back.
    void linkChanged();
    // The transmitter's relay levels; none when it did not confirm them.
    void relayLevelsChanged(std::optional<double> on, std::optional<double> off);

private:
    void setDisplay(const QString &value);
    void setDisplayUnit(const QString &unit);
    void reopenLostPort();
    void runAfterPoll();
    void pollOnce();
    void takePollAnswer(bool replied);
    void showPollReply();
    void startRun(RunKind kind);
    QString samplingStatusText() const;
    void takeSample();
    void endZeroRun();
    void endSpanRun();
    // The check's verdict: its row in the record, then its box; a failure
    // offers the matching calibration.
    void endCheck(CalibrationKind kind);
    // The judgement of the run that just took its last sample against the
    // applied gas: true when it passed, or when the technician chose to store
    // a doubtful run all the same. False: the refusal is recorded and nothing
    // is written.
    bool runMayBeStored(CalibrationKind kind, double appliedPpm);
    void refuseRun(CalibrationKind kind);
    // Stores the run's new pair (NewT0/NewR0 or NewTS/NewRS); the run may be undone.
    void storeRun(CalibrationKind kind);
    // Writes the pair and saves it; the record has its row before any box.
    void storePoint(CalibrationKind kind, QByteArrayView firstCommand, QString &first,
                    QByteArrayView secondCommand, QString &second, const QString &doneMessage);
    void undoPoint(const QString &question, bool &available, const std::function<void()> &store);
    void setUndo(bool &available, bool value);
    // Asks a query and keeps its value as whole-number text; on no reply or
    // another reply reports and gives false.
    bool fetchValue(const Transmitter::Query &query, QString &value, const QString &wrongReply);
    // Asks for the relay levels and tells them; none (and false) when the
    // transmitter does not answer.
    bool readRelayLevels();
    void showRelayLevels();
    CalibrationJournal &journal();
    void recordCalibration(CalibrationKind kind, const StoreResult &result, const QString &afterT,
                           const QString &afterR);
    void tellOutcome(const CalibrationEvent &event);
    void noteAsLeftReading(double ppm);
    void showRecordProblem(bool written);

    std::unique_ptr<RecordingSerialPort> m_lineTap; // the platform's port, recorded
    SerialPort &m_port; // always the tap
    Dialogs &m_dialogs;
    Desktop &m_desktop;
    Clock &m_clock;
    Printer &m_printer;
    Boxes m_boxes;

    StatusLine m_status;
    QString m_displayValue, m_displayUnit;
    std::function<GasAndAmbient()> m_ambient;
    QString m_portName;
    QString m_version; // as "VER" answered, once asked
    QString m_parameterFileName; // the file dialog starts with the last one chosen

    LineUser m_lineUser = LineUser::Idle;
    std::function<void()> m_afterPoll; // a click that came during the poll's wait
    std::unique_ptr<Timer> m_reopenTimer; // runs while waiting for a vanished device

    bool m_runComplete = false; // the run has taken its last sample
    std::optional<CalibrationKind> m_check; // the accuracy check under way
    RunStability m_runStability;
    RunTrace m_runTrace; // the concentrations reported during the run
    ReadingSeries m_runReadings {0}; // what the run's judgement looks at
    std::optional<RunJudgement> m_runJudgement; // of the run that ended last
    bool m_runOverridden = false; // stored although its judgement doubted it
    bool m_heldDecisions = false;
    bool m_awaitingDecision = false;
    std::optional<CheckOutcome> m_lastCheck;
    bool m_undoZero = false;
    bool m_undoSpan = false;
    RecentReadings m_recentReadings; // whether the gas has settled, while idle
    std::unique_ptr<CalibrationJournal> m_journal; // made at its first row
};
