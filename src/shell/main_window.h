#pragma once

#include "calibration/run_stability.h"
#include "platform/platform.h"
#include "shell/status_colour.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class Frame;
class LineMonitor;
class RecordingSerialPort;
class StabilityPanel;
class TrendView;
enum class RunKind;
namespace Transmitter {
struct Query;
}
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class SerialPort;
class Timer;

// The one window of Calibrator Kestrin. It owns every value the program keeps,
// all controls, the serial port and the two timers; every operation is one of
// its handlers, named after its control and event. The handlers are defined in
// the folder of their subsystem:
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
    // The port closed itself (a pulled USB adapter, a device error).
    void onPortLost();
    // Gathers the reply in RxBuffer until its last character is `terminator`
    // (true) or `timeout` milliseconds have passed (false).
    bool WaitForReply(int timeout, char terminator);
    void TimeOutTimer_Timer();

    // ---- Live measurement (measure/) -----------------------------------------
    void Timer1_Timer();
    void StatusFrame_DblClick();

    // ---- Calibration (calibration/) ------------------------------------------
    void CancelButton_Click();
    void menuNumberOfSamples_Click();
    void ZeroButton_Click();
    // Replace their arguments by their whole-number texts before sending them.
    void StoreZeroPoint(QString &t0, QString &r0);
    void menuUndoZeroCalibration_Click();
    void SpanButton_Click();
    void StoreSpanPoint(QString &ts, QString &rs);
    void menuUndoSpanCalibration_Click();

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

private:
    void createControls();
    void createMenus();
    void connectHandlers();
    // Handlers of items and buttons that talk to the transmitter start only
    // when no exchange is waiting for its reply.
    enum class Talks { No, Yes };
    void onMenuItem(QAction *action, std::function<void()> handler, Talks talks = Talks::No);
    void onButton(QPushButton *button, std::function<void()> handler, Talks talks = Talks::No);
    std::function<void()> guarded(std::function<void()> handler, Talks talks);
    void connectAmbientHandlers();
    // The line monitor's panel, hidden until asked for; the tap that feeds it
    // sees every byte of the port from the first one on.
    void createLineMonitor();

    // One command out and its reply in RxBuffer; false when none came in time.
    bool exchange(const QByteArray &command, int timeout);
    // True (and a beep, or the action kept for later) while an exchange waits:
    // a second exchange would share RxBuffer with the first.
    bool linkBusy(const std::function<void()> &retry = {});
    void runAfterPoll();
    void pollOnce();
    void showPollReply();

    void startRun(RunKind kind);
    // The run's progress bar and stability figures, from the run's own values.
    void showRunProgress();
    // The relay levels on the trend, once the transmitter or the technician
    // has named them.
    void showRelayLevels();
    QString samplingStatusText() const;
    QString sampleMarker() const;
    void takeSample();
    void endSpanRun();
    void storePoint(QByteArrayView firstCommand, QString &first, QByteArrayView secondCommand,
                    QString &second, const QString &doneMessage);
    void undoPoint(const QString &question, QAction *undoItem, const std::function<void()> &store);
    // Asks a query and keeps its value as whole-number text; on no reply or
    // another reply reports and gives false.
    bool fetchValue(const Transmitter::Query &query, QString &value, const QString &wrongReply);
    void centreWindow();
    void probePorts();
    void openRememberedPort();

    // Message box with the OK button and no icon, titled with the
    // application's title; `beepFirst` sounds the beep that precedes an error.
    void report(const QString &text, bool beepFirst = true);
    // OK/Cancel question; true when the technician pressed OK.
    bool confirm(const QString &text, MessageIcon icon = MessageIcon::None,
                 const QString &title = applicationTitle);
    bool calibrationRunning() const { return ZeroCalibrationRunning || SpanCalibrationRunning; }
    // Beeps and says "Not possible during calibration!" when a run is under way.
    bool refusedDuringCalibration();

    // ---- Transmitter configuration (config/) ---------------------------------
    // The parameter file dialog starts with the file chosen at its last use.
    QString m_parameterFileName;

    // ---- What the technician sees beyond the fixed controls -------------------
    TrendView *m_trendView = nullptr;
    QProgressBar *m_runProgress = nullptr;
    StabilityPanel *m_stabilityPanel = nullptr;
    LineMonitor *m_lineMonitor = nullptr;
    RunStability m_runStability;

    int m_waitDepth = 0; // reply waits in progress
    bool m_pollWaiting = false; // the wait in progress is the reading poll's
    bool m_inPoll = false; // a poll tick is running (it never re-enters)
    std::function<void()> m_afterPoll;

    std::unique_ptr<RecordingSerialPort> m_lineTap; // the platform's port, recorded
    SerialPort &m_port; // always the tap
    Dialogs &m_dialogs;
    Desktop &m_desktop;
    Clock &m_clock;
    Printer &m_printer;
};
