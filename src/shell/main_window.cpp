#include "main_window.h"

#include "platform/timer.h"
#include "shell/frame.h"
#include "shell/line_monitor.h"
#include "shell/stability_panel.h"
#include "shell/trend_view.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QLabel *makeLabel(QWidget *parent, const char *name, const QString &caption)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

QLineEdit *makeEntry(QWidget *parent, const char *name, const QString &text)
{
    auto *entry = new QLineEdit(text, parent);
    entry->setObjectName(QLatin1String(name));
    entry->setAlignment(Qt::AlignRight);
    // Wide enough for a pressure in psi with its three decimals, and a little.
    entry->setFixedWidth(entry->fontMetrics().horizontalAdvance(QStringLiteral("000000.000")) + 12);
    return entry;
}

QAction *makeItem(QMenu *menu, const QString &name, const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

QAction *makeCheckItem(QMenu *menu, const QString &name, const QString &caption)
{
    QAction *action = makeItem(menu, name, caption);
    action->setCheckable(true);
    return action;
}

} // namespace

MainWindow::MainWindow(const Platform &platform, QWidget *parent)
    : QMainWindow(parent), m_session(std::make_unique<TransmitterSession>(platform)),
      m_boxes(platform.dialogs, platform.desktop), m_dialogs(platform.dialogs),
      m_desktop(platform.desktop), m_clock(platform.clock), m_printer(platform.printer)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Calibrator Kestrin"));

    createControls();
    createMenus();
    createLinkStateDisplay();
    createLineMonitor();
    connectHandlers();
    connectSession();
    Form_Load();
    // The polling timer is enabled from the start, whatever the start-up found.
    m_session->Timer1->start();
}

MainWindow::~MainWindow() = default;

void MainWindow::createControls()
{
    auto *central = new QWidget(this);
    setCentralWidget(central);

    CO2displayFrame = new Frame(QStringLiteral("CO2 Display"), central);
    CO2displayFrame->setObjectName(QStringLiteral("CO2displayFrame"));
    ppmDisplay = makeLabel(CO2displayFrame, "ppmDisplay", QStringLiteral("-----"));
    QFont big = ppmDisplay->font();
    big.setPointSize(36);
    big.setBold(true);
    ppmDisplay->setFont(big);
    ppmDisplay->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ppmDisplay->setMinimumWidth(
        ppmDisplay->fontMetrics().horizontalAdvance(QStringLiteral("00000.00")));
    ppmText = makeLabel(CO2displayFrame, "ppmText", QStringLiteral("ppm "));
    QFont unit = ppmText->font();
    unit.setPointSize(16);
    ppmText->setFont(unit);
    ppmText->setMinimumWidth(ppmText->fontMetrics().horizontalAdvance(QStringLiteral("# 000")));
    // The frames keep thin margins inside: on a small screen their height is
    // taken from the trend.
    auto *displayLayout = new QHBoxLayout(CO2displayFrame);
    displayLayout->setContentsMargins(9, 0, 9, 2);
    displayLayout->addWidget(ppmDisplay, 1);
    displayLayout->addWidget(ppmText, 0, Qt::AlignBottom);

    CalibrartionControlFrame = new Frame(QStringLiteral("Calibration Control"), central);
    CalibrartionControlFrame->setObjectName(QStringLiteral("CalibrartionControlFrame"));
    ZeroButton = new QPushButton(QStringLiteral("&Zero"), CalibrartionControlFrame);
    ZeroButton->setObjectName(QStringLiteral("ZeroButton"));
    ZeroButton->setToolTip(QStringLiteral("Start Zero Calibration"));
    CancelButton = new QPushButton(QStringLiteral("&Cancel"), CalibrartionControlFrame);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setToolTip(QStringLiteral("Stop Calibration"));
    CancelButton->setEnabled(false);
    SpanButton = new QPushButton(QStringLiteral("&Span"), CalibrartionControlFrame);
    SpanButton->setObjectName(QStringLiteral("SpanButton"));
    SpanButton->setToolTip(QStringLiteral("Start Span Calibration"));
    m_stabilityPanel = new StabilityPanel(CalibrartionControlFrame);
    auto *calibrationLayout = new QVBoxLayout(CalibrartionControlFrame);
    calibrationLayout->setContentsMargins(9, 4, 9, 4);
    auto *buttonLayout = new QHBoxLayout;
    buttonLayout->addWidget(ZeroButton);
    buttonLayout->addWidget(CancelButton);
    buttonLayout->addWidget(SpanButton);
    calibrationLayout->addLayout(buttonLayout);
    calibrationLayout->addWidget(m_stabilityPanel);

    AmbientSettingsFrame = new Frame(QStringLiteral("Gas And Ambient Settings"), central);
    AmbientSettingsFrame->setObjectName(QStringLiteral("AmbientSettingsFrame"));
    Label44 = makeLabel(AmbientSettingsFrame, "Label44", QStringLiteral("Span Gas"));
    Label6 = makeLabel(AmbientSettingsFrame, "Label6", QStringLiteral("Temperature"));
    Label5 = makeLabel(AmbientSettingsFrame, "Label5", QStringLiteral("Pressure"));
    Label7 = makeLabel(AmbientSettingsFrame, "Label7", QStringLiteral("Corrected"));
    SpanGasConcentration
        = makeEntry(AmbientSettingsFrame, "SpanGasConcentration", QStringLiteral("2000"));
    TemperatureText = makeEntry(AmbientSettingsFrame, "TemperatureText", QStringLiteral("??.?"));
    PressureText = makeEntry(AmbientSettingsFrame, "PressureText", QStringLiteral("????"));
    CorrectedConcentration
        = makeLabel(AmbientSettingsFrame, "CorrectedConcentration", QStringLiteral("2000"));
    CorrectedConcentration->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label8 = makeLabel(AmbientSettingsFrame, "Label8", QStringLiteral("ppm"));
    TemperatureLabel = makeLabel(AmbientSettingsFrame, "TemperatureLabel", QStringLiteral("°C"));
    PressureLabel = makeLabel(AmbientSettingsFrame, "PressureLabel", QStringLiteral("hPa"));
    Label9 = makeLabel(AmbientSettingsFrame, "Label9", QStringLiteral("ppm"));
    PressureLabel->setMinimumWidth(
        PressureLabel->fontMetrics().horizontalAdvance(QStringLiteral("mmH2O")));
    auto *ambientLayout = new QGridLayout(AmbientSettingsFrame);
    const std::array<std::array<QWidget *, 3>, 4> ambientRows {{
        {Label44, SpanGasConcentration, Label8},
        {Label5, PressureText, PressureLabel},
        {Label6, TemperatureText, TemperatureLabel},
        {Label7, CorrectedConcentration, Label9},
    }};
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column)
            ambientLayout->addWidget(ambientRows[size_t(row)][size_t(column)], row, column);
    // Extra height goes below the entries, not between them.
    ambientLayout->setRowStretch(4, 1);
    setTabOrder(SpanGasConcentration, PressureText);
    setTabOrder(PressureText, TemperatureText);

    StatusFrame = new Frame(QStringLiteral("Status"), central);
    StatusFrame->setObjectName(QStringLiteral("StatusFrame"));
    Status = makeLabel(StatusFrame, "Status", QStringLiteral("Status Info"));
    Status->setMinimumWidth(Status->fontMetrics().horizontalAdvance(
        QStringLiteral("Sampling data for Span Calibration (Sample 100 of  100)")));
    const std::array<const char *, 4> captions {"Rx =", "avg =", "Tx =", "ppm ="};
    for (int i = 0; i < 4; ++i) {
        Label1[size_t(i)] = makeLabel(StatusFrame, "", QLatin1String(captions[size_t(i)]));
        Label1[size_t(i)]->setObjectName(QStringLiteral("Label1(%1)").arg(i));
    }
    RxLabel = makeLabel(StatusFrame, "RxLabel", QStringLiteral("--"));
    TxLabel = makeLabel(StatusFrame, "TxLabel", QStringLiteral("--"));
    ppmLabel = makeLabel(StatusFrame, "ppmLabel", QStringLiteral("--"));
    avgLabel = makeLabel(StatusFrame, "avgLabel", QStringLiteral("--"));
    m_runProgress = new QProgressBar(StatusFrame);
    m_runProgress->setObjectName(QStringLiteral("runProgress"));
    m_runProgress->setMinimumWidth(
        m_runProgress->fontMetrics().horizontalAdvance(QStringLiteral("Sample 1000 of 1000")) * 2);
    // No taller than the status line, so the frame stays one line tall.
    m_runProgress->setMaximumHeight(Status->sizeHint().height());
    // The frame is one line tall; the readout's rows join below the status
    // line while they are shown, and the status line stays where it is.
    auto *statusLayout = new QGridLayout(StatusFrame);
    statusLayout->setContentsMargins(9, 2, 9, 3);
    statusLayout->setVerticalSpacing(0);
    statusLayout->addWidget(Status, 0, 0, Qt::AlignLeft | Qt::AlignVCenter);
    statusLayout->addWidget(m_runProgress, 0, 1, Qt::AlignVCenter);
    statusLayout->setColumnStretch(0, 1);
    const std::array<std::pair<QLabel *, QLabel *>, 4> readoutRows {{
        {Label1[0], RxLabel},
        {Label1[2], TxLabel},
        {Label1[3], ppmLabel},
        {Label1[1], avgLabel},
    }};
    for (int row = 0; row < 4; ++row) {
        auto [caption, value] = readoutRows[size_t(row)];
        statusLayout->addWidget(caption, row, 2, Qt::AlignRight);
        statusLayout->addWidget(value, row, 3, Qt::AlignLeft);
        value->setMinimumWidth(
            value->fontMetrics().horizontalAdvance(QStringLiteral("-000000.00")));
        caption->setVisible(false);
        value->setVisible(false);
    }
    // A double-click anywhere in the status frame belongs to the frame.
    for (QLabel *label : StatusFrame->findChildren<QLabel *>())
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_runProgress->setAttribute(Qt::WA_TransparentForMouseEvents);
    // Shown only during a run, without moving the status line.
    QSizePolicy progressPolicy = m_runProgress->sizePolicy();
    progressPolicy.setRetainSizeWhenHidden(true);
    m_runProgress->setSizePolicy(progressPolicy);
    m_runProgress->setVisible(false);

    m_trendView = new TrendView(m_clock, central);

    auto *grid = new QGridLayout(central);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setSpacing(4);
    grid->addWidget(CO2displayFrame, 0, 0);
    grid->addWidget(AmbientSettingsFrame, 0, 1, 2, 1);
    grid->addWidget(CalibrartionControlFrame, 1, 0);
    grid->addWidget(m_trendView, 2, 0, 1, 2);
    grid->addWidget(StatusFrame, 3, 0, 1, 2);
    grid->setRowStretch(2, 1);
}

void MainWindow::createMenus()
{
    QMenuBar *bar = menuBar();
    auto addMenu = [bar](const char *name, const QString &caption) {
        QMenu *menu = bar->addMenu(caption);
        menu->setObjectName(QLatin1String(name));
        return menu;
    };

    menuFiles = addMenu("menuFiles", QStringLiteral("&Files"));
    menuOpenParameterFile = makeItem(menuFiles, QStringLiteral("menuOpenParameterFile"),
                                     QStringLiteral("&Open Parameter File"));
    menuFiles->addSeparator();
    menuPrintTransmitterParameters
        = makeItem(menuFiles, QStringLiteral("menuPrintTransmitterParameters"),
                   QStringLiteral("&Print Transmitter Parameters"));
    menuFiles->addSeparator();
    menuExit = makeItem(menuFiles, QStringLiteral("menuExit"), QStringLiteral("E&xit"));
    menuFiles->addSeparator();
    menuCalibrationReport = makeItem(menuFiles, QStringLiteral("menuCalibrationReport"),
                                     QStringLiteral("Calibration &Report..."));
    menuOpenBench
        = makeItem(menuFiles, QStringLiteral("menuOpenBench"), QStringLiteral("Open &Bench..."));

    menuEdit = addMenu("menuEdit", QStringLiteral("&Edit"));
    menuUndoZeroCalibration = makeItem(menuEdit, QStringLiteral("menuUndoZeroCalibration"),
                                       QStringLiteral("Undo &Zero Calibration"));
    menuUndoZeroCalibration->setEnabled(false);
    menuUndoSpanCalibration = makeItem(menuEdit, QStringLiteral("menuUndoSpanCalibration"),
                                       QStringLiteral("Undo &Span Calibration"));
    menuUndoSpanCalibration->setEnabled(false);

    menuComSettings = addMenu("menuComSettings", QStringLiteral("&Com"));
    for (int n = 1; n <= 4; ++n)
        menuCom[size_t(n)] = makeCheckItem(menuComSettings, QStringLiteral("menuCom(%1)").arg(n),
                                           QStringLiteral("Com&%1").arg(n));
    menuComSettings->addSeparator();
    menuCloseComPort = makeItem(menuComSettings, QStringLiteral("menuCloseComPort"),
                                QStringLiteral("&Close Com Port"));
    menuCloseComPort->setEnabled(false);

    menuRelayMain = addMenu("menuRelayMain", QStringLiteral("&Relay"));
    menuRelayTriggerPoint = makeItem(menuRelayMain, QStringLiteral("menuRelayTriggerPoint"),
                                     QStringLiteral("&Relay Trigger Point"));

    menuUnits = addMenu("menuUnits", QStringLiteral("&Units"));
    menu_hPa = makeCheckItem(menuUnits, QStringLiteral("menu_hPa"), QStringLiteral("hPa"));
    menu_mbar = makeCheckItem(menuUnits, QStringLiteral("menu_mbar"), QStringLiteral("mbar"));
    menu_kPa = makeCheckItem(menuUnits, QStringLiteral("menu_kPa"), QStringLiteral("kPa"));
    menu_inHg = makeCheckItem(menuUnits, QStringLiteral("menu_inHg"), QStringLiteral("inHg"));
    menu_mmH2O = makeCheckItem(menuUnits, QStringLiteral("menu_mmH2O"), QStringLiteral("mmH2O"));
    menu_mmHg = makeCheckItem(menuUnits, QStringLiteral("menu_mmHg"), QStringLiteral("mmHg"));
    menu_torr = makeCheckItem(menuUnits, QStringLiteral("menu_torr"), QStringLiteral("torr"));
    menu_psi = makeCheckItem(menuUnits, QStringLiteral("menu_psi"), QStringLiteral("psi"));
    menuUnits->addSeparator();
    menu_Celsius
        = makeCheckItem(menuUnits, QStringLiteral("menu_Celsius"), QStringLiteral("Celsius"));
    menu_Farenheit
        = makeCheckItem(menuUnits, QStringLiteral("menu_Farenheit"), QStringLiteral("Farenheit"));
    // One unit of each kind is checked at any time.
    m_pressureUnits = new QActionGroup(this);
    for (QAction *item :
         {menu_hPa, menu_mbar, menu_kPa, menu_inHg, menu_mmH2O, menu_mmHg, menu_torr, menu_psi})
        m_pressureUnits->addAction(item);
    m_temperatureUnits = new QActionGroup(this);
    m_temperatureUnits->addAction(menu_Celsius);
    m_temperatureUnits->addAction(menu_Farenheit);
    menu_hPa->setChecked(true);
    menu_Celsius->setChecked(true);

    menuSpecial = addMenu("menuSpecial", QStringLiteral("&Special"));
    menuNumberOfSamples = makeItem(menuSpecial, QStringLiteral("menuNumberOfSamples"),
                                   QStringLiteral("&Number Of Samples"));
    menuCalibrationTolerance = makeItem(menuSpecial, QStringLiteral("menuCalibrationTolerance"),
                                        QStringLiteral("Calibration &Tolerance..."));
    menuCorrectionLimit = makeItem(menuSpecial, QStringLiteral("menuCorrectionLimit"),
                                   QStringLiteral("Correction &Limit..."));
    menuSpecial->addSeparator();
    menuAccuracyCheckZero = makeItem(menuSpecial, QStringLiteral("menuAccuracyCheckZero"),
                                     QStringLiteral("Accuracy Check with &Zero Gas..."));
    menuAccuracyCheckSpan = makeItem(menuSpecial, QStringLiteral("menuAccuracyCheckSpan"),
                                     QStringLiteral("Accuracy Check with &Span Gas..."));

    menuHelp2 = addMenu("menuHelp2", QStringLiteral("&Help"));
    menuContents = makeItem(menuHelp2, QStringLiteral("menuContents"), QStringLiteral("&Contents"));
    menuHelp2->addSeparator();
    menuAbout = makeItem(menuHelp2, QStringLiteral("menuAbout"), QStringLiteral("&About"));
}

void MainWindow::createLineMonitor()
{
    m_lineMonitor = new LineMonitor(this);
    addDockWidget(Qt::BottomDockWidgetArea, m_lineMonitor);
    m_lineMonitor->hide();
    m_session->setLineListener([this](LineDirection direction, const QByteArray &bytes) {
        m_lineMonitor->record(direction, bytes, m_clock.now());
    });
    // Opened from the status bar (or Ctrl+L), so the menu bar keeps exactly
    // the menus the technician knows.
    auto *opener = new QToolButton(this);
    opener->setObjectName(QStringLiteral("lineMonitorButton"));
    opener->setDefaultAction(m_lineMonitor->toggleViewAction());
    statusBar()->addPermanentWidget(opener);
    addAction(m_lineMonitor->toggleViewAction());
}

bool MainWindow::talksToTransmitter(const QObject *control) const
{
    // Every control whose handler sends a command, and nothing else: while
    // the line is in use these do not start, the others always do.
    const std::array<const QObject *, 13> talking {
        menuOpenParameterFile,
        menuPrintTransmitterParameters,
        menuCalibrationReport,
        menuUndoZeroCalibration,
        menuUndoSpanCalibration,
        menuCom[1],
        menuCom[2],
        menuCom[3],
        menuCom[4],
        menuCloseComPort,
        menuRelayTriggerPoint,
        ZeroButton,
        SpanButton,
    };
    return std::find(talking.begin(), talking.end(), control) != talking.end();
}

void MainWindow::onClick(QAction *action, std::function<void()> handler)
{
    const bool talks = talksToTransmitter(action);
    connect(action, &QAction::triggered, this,
            [this, action, talks, handler = std::move(handler)](bool checked) {
                // A check mark is the handler's to set: undo the toggle that Qt
                // makes on a click before the handler runs, so a refused choice
                // changes nothing. (A unit's group keeps one item checked; its
                // handler checks the item chosen.)
                if (action->isCheckable() && !action->actionGroup())
                    action->setChecked(!checked);
                if (!talks || !m_session->lineInUse(handler))
                    handler();
            });
}

void MainWindow::onClick(QPushButton *button, std::function<void()> handler)
{
    const bool talks = talksToTransmitter(button);
    connect(button, &QPushButton::clicked, this, [this, talks, handler = std::move(handler)] {
        if (!talks || !m_session->lineInUse(handler))
            handler();
    });
}

void MainWindow::connectHandlers()
{
    // The session's poll, as the window's own timer handler.
    m_session->Timer1->setTick([this] { Timer1_Timer(); });
    connect(StatusFrame, &Frame::doubleClicked, this, &MainWindow::StatusFrame_DblClick);

    onClick(menuOpenParameterFile, [this] { menuOpenParameterFile_Click(); });
    onClick(menuPrintTransmitterParameters, [this] { menuPrintTransmitterParameters_Click(); });
    onClick(menuExit, [this] { menuExit_Click(); });
    onClick(menuCalibrationReport, [this] { menuCalibrationReport_Click(); });
    onClick(menuOpenBench, [this] { menuOpenBench_Click(); });
    onClick(menuUndoZeroCalibration, [this] { menuUndoZeroCalibration_Click(); });
    onClick(menuUndoSpanCalibration, [this] { menuUndoSpanCalibration_Click(); });
    for (int n = 1; n <= 4; ++n)
        onClick(menuCom[size_t(n)], [this, n] { menuCom_Click(n); });
    onClick(menuCloseComPort, [this] { menuCloseComPort_Click(); });
    onClick(menuRelayTriggerPoint, [this] { menuRelayTriggerPoint_Click(); });
    onClick(menuNumberOfSamples, [this] { menuNumberOfSamples_Click(); });
    onClick(menuCalibrationTolerance, [this] { menuCalibrationTolerance_Click(); });
    onClick(menuCorrectionLimit, [this] { menuCorrectionLimit_Click(); });
    onClick(menuAccuracyCheckZero, [this] { menuAccuracyCheckZero_Click(); });
    onClick(menuAccuracyCheckSpan, [this] { menuAccuracyCheckSpan_Click(); });
    onClick(menuContents, [this] { menuContents_Click(); });
    onClick(menuAbout, [this] { menuAbout_Click(); });

    onClick(ZeroButton, [this] { ZeroButton_Click(); });
    onClick(SpanButton, [this] { SpanButton_Click(); });
    onClick(CancelButton, [this] { CancelButton_Click(); });

    connectAmbientHandlers();
}

bool MainWindow::event(QEvent *event)
{
    // Alt+C is both Cancel's access key and the Com menu's. During a run it
    // stops the run at once, rather than taking turns with the menu; the Com
    // items would only answer that they are not possible now.
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (CancelButton->isEnabled()
            && key->keyCombination() == QKeyCombination(Qt::AltModifier, Qt::Key_C)) {
            // The override makes the key come back as a key press.
            if (event->type() == QEvent::KeyPress)
                CancelButton->click();
            event->accept();
            return true;
        }
    }
    return QMainWindow::event(event);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Closing in the middle of an exchange would leave the operation to go on
    // without its window: the window closes once the exchange is over.
    if (m_session->lineInUse([this] { close(); })) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}
