#pragma once

#include "calibration/calibration_record.h"
#include "calibration/preferences.h"
#include "calibration/run_judgement.h"
#include "calibration/run_stability.h"
#include "platform/platform.h"
#include "shell/status_colour.h"

#include <QMainWindow>

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class CalibrationJournal;
class Frame;
class LineMonitor;
class RecordingSerialPort;
class StabilityPanel;
class TrendView;
enum class PressureUnit;
enum class TemperatureUnit;
enum class RunKind;
namespace Transmitter {
struct Query;
}
class QAction;
class QActionGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class SerialPort;
class Timer;

// The one window of Calibrator Kestrin. It owns every value the program keeps,
// all controls, the serial port and the two timers; every operation is one of
// its handlers, named after its control and event. The handlers, and the
// helpers only they use, are defined in the folder of their subsystem:
//   shell/        start-up, shutdown, About, help, status line, settings file
//   link/         port selection, the reply wait, the command set
//   measure/      the reading poll and the diagnostic readout
//   calibration/  calibration run, zero and span calibration, return to idle
//   ambient/      corrected span-gas concentration, units
//   config/       parameter download, printout, relay trigger points
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    static inline const QString applicationTitle = QStringLiteral("Kestrin");

    explicit MainWindow(const Platform &platform, QWidget *parent = nullptr);
    ~MainWindow() override;

    // ---- Window-level values -------------------------------------------------
    QString SettingsFileName;
    QByteArray RxBuffer;
    bool ReplyTimedOut = false;
    bool ZeroCalibrationRunning = false;
    bool SpanCalibrationRunning = false;
    double NumberOfSamples = 0;
    double TubeCoefficient = 0;
    QString CommandTerminator;
    QString LineFeed;
    double Pressure = 0;
    double Temperature = 0;
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

    // ---- Controls ------------------------------------------------------------
    Frame *StatusFrame = nullptr;
    QLabel *Status = nullptr;
    Frame *AmbientSettingsFrame = nullptr;
    QLineEdit *SpanGasConcentration = nullptr;
    QLineEdit *TemperatureText = nullptr;
    QLineEdit *PressureText = nullptr;
    QLabel *CorrectedConcentration = nullptr;
    QLabel *TemperatureLabel = nullptr;
    QLabel *PressureLabel = nullptr;
    QLabel *Label44 = nullptr, *Label6 = nullptr, *Label5 = nullptr, *Label7 = nullptr;
    QLabel *Label8 = nullptr, *Label9 = nullptr;
    Frame *CO2displayFrame = nullptr;
    QLabel *ppmDisplay = nullptr;
    QLabel *ppmText = nullptr;
    Frame *CalibrartionControlFrame = nullptr;
    QPushButton *ZeroButton = nullptr;
    QPushButton *CancelButton = nullptr;
    QPushButton *SpanButton = nullptr;
    std::array<QLabel *, 4> Label1 {};
    QLabel *RxLabel = nullptr, *TxLabel = nullptr, *ppmLabel = nullptr, *avgLabel = nullptr;
    std::unique_ptr<Timer> Timer1;
    std::unique_ptr<Timer> TimeOutTimer;

    // ---- Menus ---------------------------------------------------------------
    QMenu *menuFiles = nullptr;
    QAction *menuOpenParameterFile = nullptr;
    QAction *menuPrintTransmitterParameters = nullptr;
    QAction *menuExit = nullptr;
    QAction *menuCalibrationReport = nullptr;
    QMenu *menuEdit = nullptr;
    QAction *menuUndoZeroCalibration = nullptr;
    QAction *menuUndoSpanCalibration = nullptr;
    QMenu *menuComSettings = nullptr;
    std::array<QAction *, 5> menuCom {}; // indexes 1 to 4
    QAction *menuCloseComPort = nullptr;
    QMenu *menuRelayMain = nullptr;
    QAction *menuRelayTriggerPoint = nullptr;
    QMenu *menuUnits = nullptr;
    QAction *menu_hPa = nullptr, *menu_mbar = nullptr, *menu_kPa = nullptr, *menu_inHg = nullptr;
    QAction *menu_mmH2O = nullptr, *menu_mmHg = nullptr, *menu_torr = nullptr, *menu_psi = nullptr;
    QAction *menu_Celsius = nullptr, *menu_Farenheit = nullptr;
    QMenu *menuSpecial = nullptr;
    QAction *menuNumberOfSamples = nullptr;
    QAction *menuCalibrationTolerance = nullptr;
    QAction *menuAccuracyCheckZero = nullptr;
    QAction *menuAccuracyCheckSpan = nullptr;
    QMenu *menuHelp2 = nullptr;
    QAction *menuContents = nullptr;
    QAction *menuAbout = nullptr;

    // ---- Application shell (shell/) ------------------------------------------
    void Form_Load();
    void Form_Unload();
    void menuExit_Click();
    void menuAbout_Click();
    void menuContents_Click();
    void setStatus(const QString &text, StatusColour colour);
    void setStatusColour(StatusColour colour);

    // ---- Transmitter link (link/) --------------------------------------------
    void menuCom_Click(int index);
    void SelectComPort(int index);
    void menuCloseComPort_Click();
    // The port closed itself (a pulled USB adapter, a device error): the
    // window says so and tries the same port again every second.
    void onPortLost();
    // Gathers the reply in RxBuffer until its last character is `terminator`
    // (true) or `timeout` has passed (false).
    bool WaitForReply(std::chrono::milliseconds timeout, char terminator);
    void TimeOutTimer_Timer();

    // ---- Live measurement (measure/) -----------------------------------------
    void Timer1_Timer();
    void StatusFrame_DblClick();

    // ---- Calibration (calibration/) ------------------------------------------
    void CancelButton_Click();
    void menuNumberOfSamples_Click();
    // How far a run's reading may be from the applied gas before the run is
    // questioned; kept with the preferences.
    void menuCalibrationTolerance_Click();
    // An accuracy check: a run like a calibration's that compares the
    // transmitter with the zero or span gas and writes nothing.
    void menuAccuracyCheckZero_Click();
    void menuAccuracyCheckSpan_Click();
    void ZeroButton_Click();
    // Replace their arguments by their whole-number texts before sending them;
    // `kind` says for the record whether a run's result or an undo is stored.
    void StoreZeroPoint(QString &t0, QString &r0, CalibrationKind kind = CalibrationKind::Zero);
    void menuUndoZeroCalibration_Click();
    void SpanButton_Click();
    void StoreSpanPoint(QString &ts, QString &rs, CalibrationKind kind = CalibrationKind::Span);
    void menuUndoSpanCalibration_Click();
    void menuCalibrationReport_Click();

    // ---- Transmitter configuration (config/) ---------------------------------
    void menuOpenParameterFile_Click();
    void menuPrintTransmitterParameters_Click();
    void menuRelayTriggerPoint_Click();

    // ---- Ambient compensation (ambient/) -------------------------------------
    void UpdateCorrectedConcentration();
    void PressureText_Change();
    void TemperatureText_Change();
    void SpanGasConcentration_Change();
    void menu_hPa_Click();
    void menu_mbar_Click();
    void menu_kPa_Click();
    void menu_inHg_Click();
    void menu_mmH2O_Click();
    void menu_mmHg_Click();
    void menu_torr_Click();
    void menu_psi_Click();
    void menu_Celsius_Click();
    void menu_Farenheit_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;

private:
    // ---- Application shell (shell/) ------------------------------------------
    void createControls();
    void createMenus();
    void connectHandlers();
    // Runs `handler` on the control's click. The handlers of the controls that
    // talk to the transmitter start only while the line is free.
    void onClick(QAction *action, std::function<void()> handler);
    void onClick(QPushButton *button, std::function<void()> handler);
    bool talksToTransmitter(const QObject *control) const;
    void centreWindow();
    void probePorts();
    void openRememberedPort();
    // Message box with the OK button and no icon, titled with the
    // application's title; `beepFirst` sounds the beep that precedes an error.
    void report(const QString &text, bool beepFirst = true);
    // OK/Cancel question; true when the technician pressed OK.
    bool confirm(const QString &text, MessageIcon icon = MessageIcon::None,
                 const QString &title = applicationTitle);
    // A calibration or an accuracy check: both sample and hold off the same
    // operations.
    bool calibrationRunning() const
    {
        return ZeroCalibrationRunning || SpanCalibrationRunning || m_check;
    }
    // Beeps and says "Not possible during calibration!" when a run is under way.
    bool refusedDuringCalibration();

    // ---- Transmitter link (link/) --------------------------------------------
    // Who uses the line: nobody, the reading poll, or an operation of the
    // technician's. One exchange at a time: while the line is in use, no poll
    // starts and no other operation talks.
    enum class LineUser { Idle, Poll, Operation };
    // How the transmitter took a command.
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
    void runAfterPoll();
    void createLineMonitor();
    void createPortReopening();
    // One try to open the lost port again, with the number and line settings
    // it had; on success the window shows it open, as the start-up does.
    void reopenLostPort();
    bool waitingForDevice() const;
    void createLinkStateDisplay();
    // The link's state in the status bar: the open port, its device and its
    // line settings, no port, or the wait for a vanished device.
    void showLinkState();
    // Each Com item's tips name its device and, where the system knows it,
    // the adapter.
    void describeComItems();

    // ---- Live measurement (measure/) -----------------------------------------
    void pollOnce();
    void showPollReply();
    // The relay levels on the trend, once the transmitter or the technician
    // has named them.
    void showRelayLevels();
    // Asks the transmitter for its relay levels and draws them; none are
    // drawn (and false) when it does not answer.
    bool readRelayLevels();

    // ---- Calibration (calibration/) ------------------------------------------
    void startRun(RunKind kind);
    // A run takes samples until its last one; the polls behind the boxes of
    // its end show readings again.
    bool sampling() const { return calibrationRunning() && !m_runComplete; }
    QString samplingStatusText() const;
    QString sampleMarker() const;
    void takeSample();
    void endSpanRun();
    void startCheck(CalibrationKind kind);
    // The check's verdict: its row in the record, then its box; a failure
    // offers the matching calibration.
    void endCheck(CalibrationKind kind);
    // The judgement of the run that just took its last sample against the
    // applied gas: true when it passed, or when the technician chose to store
    // a doubtful run all the same. False: the refusal is recorded and nothing
    // is written.
    bool runMayBeStored(CalibrationKind kind, double appliedPpm);
    Preferences preferences() const;
    // The run's progress bar and stability figures, from the run's own values.
    void showRunProgress();
    // Writes the pair and saves it; the record has its row before any box.
    void storePoint(CalibrationKind kind, QByteArrayView firstCommand, QString &first,
                    QByteArrayView secondCommand, QString &second, const QString &doneMessage);
    void undoPoint(const QString &question, QAction *undoItem,
                   const std::function<void()> &store);
    // The record of calibrations: one row per store tried or refused and per
    // undo, written before the box that tells the technician of it.
    CalibrationJournal &journal();
    void recordCalibration(CalibrationKind kind, const StoreResult &result, const QString &afterT,
                           const QString &afterR);
    // The readings after a store, for its "as left" row; the row is written
    // at the fifth, or with fewer when a run starts, another store comes or
    // the window closes.
    void noteAsLeftReading(double ppm);
    void finishAsLeft();
    // How a store, undo or check ended, in the status bar's message area, on
    // the stability panel and as a mark on the trend.
    void tellOutcome(const CalibrationEvent &event);
    // In the status bar when a row could not be written yet.
    void showRecordProblem(bool written);
    // Asks a query and keeps its value as whole-number text; on no reply or
    // another reply reports and gives false.
    bool fetchValue(const Transmitter::Query &query, QString &value, const QString &wrongReply);

    // ---- Ambient compensation (ambient/) -------------------------------------
    void connectAmbientHandlers();
    void choosePressureUnit(PressureUnit unit);
    void showTemperatureIn(TemperatureUnit unit);
    // Writes the entry; rewriting its own text still runs its change handler.
    void writeEntry(QLineEdit *entry, const QString &text, void (MainWindow::*changed)());

    // ---- State beyond the window-level values ---------------------------------
    LineUser m_lineUser = LineUser::Idle;
    std::function<void()> m_afterPoll; // a click that came during the poll's wait
    bool m_runComplete = false; // the run has taken its last sample
    RunStability m_runStability;
    RunTrace m_runTrace; // the concentrations reported during the run
    ReadingSeries m_runReadings {0}; // what the run's judgement looks at
    std::optional<RunJudgement> m_runJudgement; // of the run that ended last
    bool m_runOverridden = false; // stored although its judgement doubted it
    std::optional<CalibrationKind> m_check; // the accuracy check under way
    RecentReadings m_recentReadings; // whether the gas has settled, while idle
    std::unique_ptr<CalibrationJournal> m_journal; // made at its first row
    QString m_transmitterVersion; // as "VER" answered, once asked
    QString m_parameterFileName; // the file dialog starts with the last one chosen
    QActionGroup *m_pressureUnits = nullptr; // the Units menu's two groups
    QActionGroup *m_temperatureUnits = nullptr;

    // ---- What the technician sees beyond the fixed controls -------------------
    TrendView *m_trendView = nullptr;
    QProgressBar *m_runProgress = nullptr;
    StabilityPanel *m_stabilityPanel = nullptr;
    LineMonitor *m_lineMonitor = nullptr;
    QLabel *m_linkState = nullptr;
    std::unique_ptr<Timer> m_reopenTimer; // runs while waiting for a vanished device

    std::unique_ptr<RecordingSerialPort> m_lineTap; // the platform's port, recorded
    SerialPort &m_port; // always the tap
    Dialogs &m_dialogs;
    Desktop &m_desktop;
    Clock &m_clock;
    Printer &m_printer;
};
