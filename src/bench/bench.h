#pragma once

#include "certificate/report_form.h"
#include "platform/boxes.h"
#include "platform/platform.h"
#include "session/transmitter_session.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class RowDialogs;
class SerialPort;
class Timer;

// One transmitter of a bench: its port and session, and what the bench
// shows of it beyond the session's own state.
struct BenchRow {
    QString name; // the device without "/dev/" ("ttyUSB3"), or a link's own name
    QString device; // "/dev/ttyUSB3"
    QString adapter; // "FT232R USB UART, A1B2C3"; empty when the system does not say
    std::unique_ptr<SerialPort> port;
    std::unique_ptr<RowDialogs> dialogs;
    std::unique_ptr<TransmitterSession> session;
    bool included = false; // takes part in the bench's operation under way
    bool versionAsked = false;
    bool replyArrived = false; // its line received bytes since the poll looked
    QString outcome; // how its last run, check or undo ended, with the figures
    QString note; // the last thing its session had to say, instead of a box
};

// A bench: several transmitters in one gas chamber, each on its own port,
// calibrated or checked at once. Each transmitter is a session of its own,
// as the single window has one; the bench asks the technician's questions
// once for all of them, samples them together, stores the good runs as the
// window would, asks once about the doubtful ones and sums up at the end.
//
// All transmitters are polled by one timer every two seconds: "X" goes to
// every free port at once and the replies are gathered in one wait, so the
// readings are taken at the same moment and a silent transmitter delays no
// other's reading.
class Bench : public QObject {
    Q_OBJECT

public:
    Bench(Dialogs &dialogs, Desktop &desktop, Clock &clock, Printer &printer,
          QObject *parent = nullptr);
    ~Bench() override;

    // A transmitter on its own port, which the bench keeps.
    TransmitterSession &add(std::unique_ptr<SerialPort> port, const QString &device,
                            const QString &adapter = {});
    // Opens every port (with the end-of-text character, as at start-up) and
    // starts the poll. A port that cannot be opened says so on its row.
    void open();
    void close();

    int size() const { return int(m_rows.size()); }
    const BenchRow &row(int index) const { return m_rows[size_t(index)]; }
    TransmitterSession &session(int index) { return *m_rows[size_t(index)].session; }
    // The entries of the bench's gas and ambient, for every transmitter.
    void setAmbient(std::function<GasAndAmbient()> ambient);

    // The bench's Number Of Samples; each run takes it.
    double NumberOfSamples = 100;

    // An operation of the bench under way (a run, a check).
    bool running() const { return m_operation != Operation::None; }
    // Each asks its question once, starts every transmitter whose port is
    // open, and at the end asks once about the doubtful runs and sums up.
    void startZero();
    void startSpan();
    void startCheck(CalibrationKind kind);
    // Stops every run; nothing is written.
    void cancel();
    void undoZero(int index);
    void undoSpan(int index);

    // The transmitters that have a check or calibration to certify.
    QList<int> certifiable() const;
    // The answers kept from the last certificates, with the next number.
    ReportAnswers offeredReportAnswers() const;
    // One certificate per transmitter of `serials` (by row, an empty serial
    // skips its row), with the shared answers and the certificate numbers
    // counted on from `answers.certificate`; one box sums them up.
    void issueCertificates(const ReportAnswers &answers, const QList<QString> &serials);

    // One poll of every transmitter (the timer's tick).
    void pollAll();
    // Runs `handler` now, or as soon as the poll under way has its replies:
    // a click must not start an exchange on a line whose reply is awaited.
    void runWhenFree(const std::function<void()> &handler);

signals:
    void rowChanged(int index);
    // An operation began or ended.
    void operationChanged();

private:
    enum class Operation { None, Zero, Span, CheckZero, CheckSpan };

    // The rows whose port is open, marked as taking part; those whose port
    // is not get it on their row. False (and a box) when none is open.
    bool includeOpenRows();
    bool refusedWhileRunning();
    void begin(Operation operation);
    // Starts the run of each transmitter taking part, with the bench's number
    // of samples; one that cannot start is out of the operation, and says why.
    void startEach(const std::function<bool(TransmitterSession &)> &start);
    // Called whenever a session's run may have ended: the bench's end comes
    // once no included transmitter samples any more.
    void scheduleEndCheck();
    void finishIfDone();
    void decideDoubtfulRuns();
    void sumUp();
    void noteOutcome(int index, const SessionOutcome &outcome);
    QString operationName() const;
    QString namesOf(const QList<int> &indexes) const;

    Dialogs &m_dialogs;
    Desktop &m_desktop;
    Clock &m_clock;
    Printer &m_printer;
    Boxes m_boxes;
    std::vector<BenchRow> m_rows;
    std::function<GasAndAmbient()> m_ambient;
    std::unique_ptr<Timer> m_pollTimer;
    std::unique_ptr<Timer> m_endTimer; // the end is looked at outside a session's own work
    Operation m_operation = Operation::None;
    bool m_cancelled = false; // the technician stopped the operation
    bool m_finishing = false; // its end is being asked and summed up
    int m_pollDepth = 0; // polls under way, one inside another's wait
    std::function<void()> m_afterPoll; // a click that came during a poll
};
