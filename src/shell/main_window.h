#pragma once

#include "record/calibration_record.h"
#include "platform/boxes.h"
#include "platform/platform.h"
#include "session/status_line.h"
#include "session/transmitter_session.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

class Frame;
class LineMonitor;
class StabilityPanel;
class TrendView;
enum class PressureUnit;
enum class TemperatureUnit;
class QAction;
class QActionGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;

// The one window of Calibrator Kestrin: the view of one transmitter session.
// It owns the controls and what only a window shows (the trend, the
// stability panel, the line monitor, the ambient entries, the settings file
// of the remembered port); the transmitter's line, its poll, runs, stores and
// record rows are the session's. Every handler keeps the name of its control
// and event and says what it hands to the session. The handlers are defined
// in shell/, one file per subsystem:
//   startup.cpp           start-up, shutdown, About, help
//   link_handlers.cpp     port selection and closing, the link's state
//   session_view.cpp      the session's state on the controls
//   calibration_handlers.cpp  calibration, checks, undo, report
//   ambient_handlers.cpp, unit_handlers.cpp  corrected concentration, units
//   config_handlers.cpp   parameter download, printout, relay trigger points
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    static inline const QString applicationTitle = ::applicationTitle;

    explicit MainWindow(const Platform &platform, QWidget *parent = nullptr);
    ~MainWindow() override;

    TransmitterSession &session() { return *m_session; }
    const TransmitterSession &session() const { return *m_session; }

    // ---- Window-level values the window keeps ----------------------------------
    QString SettingsFileName;
    QString CommandTerminator;
    QString LineFeed;
    double Pressure = 0;
    double Temperature = 0;

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

    // ---- Menus ---------------------------------------------------------------
    QMenu *menuFiles = nullptr;
    QAction *menuOpenParameterFile = nullptr;
    QAction *menuPrintTransmitterParameters = nullptr;
    QAction *menuExit = nullptr;
    QAction *menuCalibrationReport = nullptr;
    QAction *menuOpenBench = nullptr;
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
    QAction *menuCorrectionLimit = nullptr;
    QAction *menuAccuracyCheckZero = nullptr;
    QAction *menuAccuracyCheckSpan = nullptr;
    QMenu *menuHelp2 = nullptr;
    QAction *menuContents = nullptr;
    QAction *menuAbout = nullptr;

    // ---- Application shell ----------------------------------------------------
    void Form_Load();
    void Form_Unload();
    void menuExit_Click();
    void menuAbout_Click();
    void menuContents_Click();

    // ---- Transmitter link -------------------------------------------------------
    void menuCom_Click(int index);
    void SelectComPort(int index);
    void menuCloseComPort_Click();
    // A bench of transmitters on the system's ports the technician ticks,
    // in a window of its own.
    void menuOpenBench_Click();

    // ---- Live measurement -------------------------------------------------------
    void Timer1_Timer();
    void StatusFrame_DblClick();

    // ---- Calibration --------------------------------------------------------------
    void CancelButton_Click();
    void menuNumberOfSamples_Click();
    // How far a reading may be from the applied gas and pass (a check, the
    // certificate), and how large a correction a calibration makes without a
    // question; both kept with the preferences.
    void menuCalibrationTolerance_Click();
    void menuCorrectionLimit_Click();
    // An accuracy check: a run like a calibration's that compares the
    // transmitter with the zero or span gas and writes nothing.
    void menuAccuracyCheckZero_Click();
    void menuAccuracyCheckSpan_Click();
    void ZeroButton_Click();
    void menuUndoZeroCalibration_Click();
    void SpanButton_Click();
    void menuUndoSpanCalibration_Click();
    void menuCalibrationReport_Click();

    // ---- Transmitter configuration ---------------------------------------------
    void menuOpenParameterFile_Click();
    void menuPrintTransmitterParameters_Click();
    void menuRelayTriggerPoint_Click();

    // ---- Ambient compensation ---------------------------------------------------
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
    // ---- Application shell ------------------------------------------------------
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
    void createLineMonitor();

    // ---- The session on the controls (session_view.cpp) -------------------------
    void connectSession();
    void showStatus();
    void showDisplay();
    void showReading(const Reading &reading, bool sampled);
    void showRunState();
    void showRunProgress();
    void showUndo();
    void showOutcome(const SessionOutcome &outcome);
    // What the entries say about the gas and the ambient, for the session.
    GasAndAmbient enteredAmbient() const;

    // ---- Transmitter link (link_handlers.cpp) ------------------------------------
    void createLinkStateDisplay();
    // The Com items' check marks and the link's state in the status bar: the
    // open port, its device and its line settings, no port, or the wait for
    // a vanished device.
    void showLink();
    // Each Com item's tips name its device and, where the system knows it,
    // the adapter.
    void describeComItems();

    // ---- Ambient compensation -----------------------------------------------------
    void connectAmbientHandlers();
    void choosePressureUnit(PressureUnit unit);
    void showTemperatureIn(TemperatureUnit unit);
    // Writes the entry; rewriting its own text still runs its change handler.
    void writeEntry(QLineEdit *entry, const QString &text, void (MainWindow::*changed)());

    std::unique_ptr<TransmitterSession> m_session;
    Boxes m_boxes;
    Dialogs &m_dialogs;
    Desktop &m_desktop;
    Clock &m_clock;
    Printer &m_printer;

    QActionGroup *m_pressureUnits = nullptr; // the Units menu's two groups
    QActionGroup *m_temperatureUnits = nullptr;
    TrendView *m_trendView = nullptr;
    QProgressBar *m_runProgress = nullptr;
    StabilityPanel *m_stabilityPanel = nullptr;
    LineMonitor *m_lineMonitor = nullptr;
    QLabel *m_linkState = nullptr;
};
