#include "bench_window.h"

#include "ambient/corrected_concentration.h"
#include "calibration/run_settings.h"
#include "certificate/calibration_report.h"
#include "shell/leading_number.h"
#include "shell/status_colour.h"

#include <QAction>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QLineEdit *entry(QWidget *parent, const char *name, const QString &text)
{
    auto *edit = new QLineEdit(text, parent);
    edit->setObjectName(QLatin1String(name));
    edit->setAlignment(Qt::AlignRight);
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000.0")) + 12);
    return edit;
}

} // namespace

BenchWindow::BenchWindow(std::unique_ptr<Bench> bench, Dialogs &dialogs, Desktop &desktop,
                         QWidget *parent)
    : QMainWindow(parent), m_bench(std::move(bench)), m_dialogs(dialogs), m_desktop(desktop),
      m_boxes(dialogs, desktop)
{
    setObjectName(QStringLiteral("BenchWindow"));
    setWindowFlag(Qt::Window);
    setWindowTitle(QStringLiteral("Calibrator Kestrin: Bench"));
    createControls();
    createMenus();
    m_bench->setAmbient([this] { return enteredAmbient(); });
    connect(m_bench.get(), &Bench::rowChanged, this, &BenchWindow::showRow);
    connect(m_bench.get(), &Bench::operationChanged, this, &BenchWindow::showOperation);
    transmitters->setRowCount(m_bench->size());
    for (int i = 0; i < m_bench->size(); ++i)
        showRow(i);
    showCorrected();
    showOperation();
    m_bench->open();
}

BenchWindow::~BenchWindow() = default;

void BenchWindow::createControls()
{
    auto *central = new QWidget(this);
    setCentralWidget(central);

    auto *ambient = new QWidget(central);
    auto *ambientLayout = new QHBoxLayout(ambient);
    ambientLayout->setContentsMargins(0, 0, 0, 0);
    SpanGasConcentration = entry(ambient, "SpanGasConcentration", QStringLiteral("2000"));
    PressureText = entry(ambient, "PressureText", QStringLiteral("1013"));
    TemperatureText = entry(ambient, "TemperatureText", QStringLiteral("25.0"));
    CorrectedConcentration = new QLabel(ambient);
    CorrectedConcentration->setObjectName(QStringLiteral("CorrectedConcentration"));
    for (auto [caption, widget, unit] :
         {std::tuple {"Span Gas", static_cast<QWidget *>(SpanGasConcentration), "ppm"},
          std::tuple {"Pressure", static_cast<QWidget *>(PressureText), "hPa"},
          std::tuple {"Temperature", static_cast<QWidget *>(TemperatureText), "°C"},
          std::tuple {"Corrected", static_cast<QWidget *>(CorrectedConcentration), "ppm"}}) {
        ambientLayout->addWidget(new QLabel(QString::fromUtf8(caption), ambient));
        ambientLayout->addWidget(widget);
        ambientLayout->addWidget(new QLabel(QString::fromUtf8(unit), ambient));
        ambientLayout->addSpacing(12);
    }
    ambientLayout->addStretch(1);
    for (QLineEdit *edit : {SpanGasConcentration, PressureText, TemperatureText})
        connect(edit, &QLineEdit::textChanged, this, &BenchWindow::showCorrected);

    ZeroButton = new QPushButton(QStringLiteral("&Zero"), central);
    ZeroButton->setObjectName(QStringLiteral("ZeroButton"));
    ZeroButton->setToolTip(QStringLiteral("Zero calibration of every transmitter"));
    SpanButton = new QPushButton(QStringLiteral("&Span"), central);
    SpanButton->setObjectName(QStringLiteral("SpanButton"));
    SpanButton->setToolTip(QStringLiteral("Span calibration of every transmitter"));
    CancelButton = new QPushButton(QStringLiteral("&Cancel"), central);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setToolTip(QStringLiteral("Stop the calibration of every transmitter"));
    connect(ZeroButton, &QPushButton::clicked, this,
            [this] { whenIdle([this] { ZeroButton_Click(); }); });
    connect(SpanButton, &QPushButton::clicked, this,
            [this] { whenIdle([this] { SpanButton_Click(); }); });
    connect(CancelButton, &QPushButton::clicked, this, &BenchWindow::CancelButton_Click);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(ZeroButton);
    buttons->addWidget(CancelButton);
    buttons->addWidget(SpanButton);
    buttons->addStretch(1);

    transmitters = new QTableWidget(0, Columns, central);
    transmitters->setObjectName(QStringLiteral("transmitters"));
    transmitters->setHorizontalHeaderLabels(
        {QStringLiteral("Port"), QStringLiteral("Adapter"), QStringLiteral("Version"),
         QStringLiteral("Type and serial"), QStringLiteral("Reading"), QStringLiteral("Gas"),
         QStringLiteral("Run"), QStringLiteral("Last outcome")});
    transmitters->verticalHeader()->setVisible(false);
    transmitters->setWordWrap(false);
    QHeaderView *header = transmitters->horizontalHeader();
    header->setStretchLastSection(true);
    for (int column : {Port, Adapter, Version, Reading, Gas})
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    header->resizeSection(TypeAndSerial, header->fontMetrics().horizontalAdvance(u'0') * 18);
    header->resizeSection(Run, header->fontMetrics().horizontalAdvance(u'0') * 30);
    transmitters->setSelectionBehavior(QAbstractItemView::SelectRows);
    transmitters->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(transmitters, &QWidget::customContextMenuRequested, this, &BenchWindow::rowMenu);
    // The type and serial number are typed in the row, for the certificates.
    connect(transmitters, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (item->column() == TypeAndSerial && item->row() < m_bench->size())
            m_bench->session(item->row()).TransmitterTypeAndSerial = item->text().trimmed();
    });

    auto *layout = new QVBoxLayout(central);
    layout->addWidget(ambient);
    layout->addLayout(buttons);
    layout->addWidget(transmitters, 1);
    resize(980, 420);
}

void BenchWindow::createMenus()
{
    QMenu *files = menuBar()->addMenu(QStringLiteral("&Files"));
    menuCalibrationCertificates = files->addAction(QStringLiteral("Calibration &Certificates..."));
    menuCalibrationCertificates->setObjectName(QStringLiteral("menuCalibrationCertificates"));
    files->addSeparator();
    menuClose = files->addAction(QStringLiteral("&Close Bench"));
    menuClose->setObjectName(QStringLiteral("menuClose"));
    QMenu *special = menuBar()->addMenu(QStringLiteral("&Special"));
    menuNumberOfSamples = special->addAction(QStringLiteral("&Number Of Samples"));
    menuNumberOfSamples->setObjectName(QStringLiteral("menuNumberOfSamples"));
    menuCalibrationTolerance = special->addAction(QStringLiteral("Calibration &Tolerance..."));
    menuCalibrationTolerance->setObjectName(QStringLiteral("menuCalibrationTolerance"));
    menuCorrectionLimit = special->addAction(QStringLiteral("Correction &Limit..."));
    menuCorrectionLimit->setObjectName(QStringLiteral("menuCorrectionLimit"));
    special->addSeparator();
    menuAccuracyCheckZero = special->addAction(QStringLiteral("Accuracy Check with &Zero Gas..."));
    menuAccuracyCheckZero->setObjectName(QStringLiteral("menuAccuracyCheckZero"));
    menuAccuracyCheckSpan = special->addAction(QStringLiteral("Accuracy Check with &Span Gas..."));
    menuAccuracyCheckSpan->setObjectName(QStringLiteral("menuAccuracyCheckSpan"));

    connect(menuCalibrationCertificates, &QAction::triggered, this,
            [this] { whenIdle([this] { menuCalibrationCertificates_Click(); }); });
    connect(menuClose, &QAction::triggered, this, &QWidget::close);
    connect(menuNumberOfSamples, &QAction::triggered, this, [this] {
        if (const auto samples = askNumberOfSamples(m_dialogs, m_bench->NumberOfSamples))
            m_bench->NumberOfSamples = *samples;
    });
    connect(menuCalibrationTolerance, &QAction::triggered, this,
            [this] { askTolerance(m_dialogs, m_boxes, Preferences(m_desktop.preferencesFile())); });
    connect(menuCorrectionLimit, &QAction::triggered, this, [this] {
        askCorrectionLimit(m_dialogs, m_boxes, Preferences(m_desktop.preferencesFile()));
    });
    connect(menuAccuracyCheckZero, &QAction::triggered, this,
            [this] { whenIdle([this] { m_bench->startCheck(CalibrationKind::CheckZero); }); });
    connect(menuAccuracyCheckSpan, &QAction::triggered, this,
            [this] { whenIdle([this] { m_bench->startCheck(CalibrationKind::CheckSpan); }); });
}

void BenchWindow::whenIdle(const std::function<void()> &handler)
{
    m_bench->runWhenFree(handler);
}

void BenchWindow::ZeroButton_Click()
{
    m_bench->startZero();
}

void BenchWindow::SpanButton_Click()
{
    m_bench->startSpan();
}

void BenchWindow::CancelButton_Click()
{
    m_bench->cancel();
}

void BenchWindow::showRow(int index)
{
    const BenchRow &row = m_bench->row(index);
    const TransmitterSession &s = *row.session;
    const auto set = [&](int column, const QString &text, const QString &tip = {}) {
        QTableWidgetItem *item = transmitters->item(index, column);
        if (!item) {
            item = new QTableWidgetItem;
            if (column != TypeAndSerial)
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            transmitters->setItem(index, column, item);
        }
        if (item->text() != text)
            item->setText(text);
        item->setToolTip(tip.isEmpty() ? text : tip);
        return item;
    };
    const QSignalBlocker typing(transmitters);
    set(Port, row.name, row.device);
    set(Adapter, row.adapter);
    set(Version, s.version());
    set(TypeAndSerial, s.TransmitterTypeAndSerial);
    // A fault the status line would show in red stands in the reading's place.
    const bool fault = s.status().colour == StatusColour::Red;
    QTableWidgetItem *reading = set(
        Reading, fault ? s.status().text : (s.displayValue() + u' ' + s.displayUnit()).trimmed());
    reading->setForeground(fault ? QColor(Qt::red) : palette().color(QPalette::Text));
    set(Gas, s.recentReadings().verdictText());
    QString run;
    if (s.awaitingDecision())
        run = QStringLiteral("doubtful: to be decided");
    else if (s.sampling())
        run = QStringLiteral("%1: sample %2 of %3")
                  .arg(s.runName())
                  .arg(s.SampleCount)
                  .arg(s.NumberOfSamples);
    set(Run, run);
    set(Outcome, row.outcome, row.note);
}

void BenchWindow::showOperation()
{
    const bool running = m_bench->running();
    ZeroButton->setEnabled(!running);
    SpanButton->setEnabled(!running);
    CancelButton->setEnabled(running);
    statusBar()->showMessage(
        running ? QStringLiteral("Running on %1 transmitter(s)").arg(m_bench->size()) : QString());
}

void BenchWindow::showCorrected()
{
    const auto corrected = correctedConcentration(LeadingNumber(SpanGasConcentration->text()),
                                                  LeadingNumber(PressureText->text()),
                                                  LeadingNumber(TemperatureText->text()));
    m_corrected = correctedConcentrationText(corrected);
    CorrectedConcentration->setText(m_corrected);
}

GasAndAmbient BenchWindow::enteredAmbient() const
{
    return {SpanGasConcentration->text(),
            m_corrected,
            TemperatureText->text(),
            QStringLiteral("°C"),
            PressureText->text(),
            QStringLiteral("hPa"),
            LeadingNumber(TemperatureText->text()),
            LeadingNumber(PressureText->text())};
}

void BenchWindow::rowMenu(const QPoint &position)
{
    const int index = transmitters->rowAt(position.y());
    if (index < 0 || index >= m_bench->size())
        return;
    const TransmitterSession &s = m_bench->session(index);
    QMenu menu(this);
    QAction *zero = menu.addAction(QStringLiteral("Undo &Zero Calibration"));
    zero->setEnabled(s.undoZeroAvailable());
    QAction *span = menu.addAction(QStringLiteral("Undo &Span Calibration"));
    span->setEnabled(s.undoSpanAvailable());
    QAction *chosen = menu.exec(transmitters->viewport()->mapToGlobal(position));
    if (chosen == zero)
        whenIdle([this, index] { m_bench->undoZero(index); });
    else if (chosen == span)
        whenIdle([this, index] { m_bench->undoSpan(index); });
}

void BenchWindow::menuCalibrationCertificates_Click()
{
    const QList<int> rows = m_bench->certifiable();
    if (rows.isEmpty()) {
        m_boxes.report(QStringLiteral("No check or calibration has been recorded on this bench."),
                       false);
        return;
    }
    // The shared answers once, then one serial number per transmitter.
    QList<FormField> fields = reportForm(m_bench->offeredReportAnswers());
    const qsizetype serialAt
        = std::find_if(fields.begin(), fields.end(),
                       [](const FormField &f) { return f.label == u"Serial number"; })
        - fields.begin();
    fields.removeAt(serialAt);
    const qsizetype shared = fields.size();
    for (int i : rows) {
        const auto [type, serial]
            = splitTypeAndSerial(m_bench->session(i).TransmitterTypeAndSerial);
        fields << FormField {QStringLiteral("Serial number (%1)").arg(m_bench->row(i).name),
                             serial};
    }
    for (;;) {
        const std::optional<QList<QString>> typed
            = m_dialogs.form(QStringLiteral("Calibration Certificates"), fields);
        if (!typed)
            return;
        QList<QString> texts = typed->mid(0, shared);
        texts.insert(serialAt, QStringLiteral("-"));
        const ReportAnswers answers = reportAnswers(texts);
        QList<QString> serials(m_bench->size());
        for (qsizetype k = 0; k < rows.size(); ++k)
            serials[rows[k]] = typed->value(shared + k).trimmed();
        const QString problem = reportAnswersProblem(answers);
        if (problem.isEmpty()) {
            m_bench->issueCertificates(answers, serials);
            return;
        }
        m_boxes.report(problem);
        for (qsizetype k = 0; k < typed->size(); ++k)
            fields[k].value = typed->value(k);
    }
}

void BenchWindow::closeEvent(QCloseEvent *event)
{
    if (m_bench->running()) {
        m_boxes.report(QStringLiteral("Not possible during calibration!"));
        event->ignore();
        return;
    }
    m_bench->close();
    event->accept();
}
