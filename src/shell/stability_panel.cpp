#include "stability_panel.h"

#include "judgement/run_judgement.h"
#include "judgement/run_stability.h"

#include <QGridLayout>
#include <QLabel>

namespace {

const QString none = QStringLiteral("–");

QString figure(double value, bool signedFigure = false)
{
    const QString text = QString::number(value, 'f', 1);
    return signedFigure && value >= 0 ? u'+' + text : text;
}

} // namespace

StabilityPanel::StabilityPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("stabilityPanel"));
    setToolTip(QStringLiteral("The last 30 seconds of readings: press Zero or Span once they "
                              "show \"settled\". Below, the samples of the run so far: a "
                              "settled gas shows a small standard deviation and a drift near "
                              "zero."));
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 4, 0, 0);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(2);

    m_caption = new QLabel(QStringLiteral("Run stability"), this);
    m_caption->setObjectName(QStringLiteral("stabilityCaption"));
    grid->addWidget(m_caption, 0, 0);
    const std::array<QString, 3> headings {QStringLiteral("Mean"), QStringLiteral("Std dev"),
                                           QStringLiteral("Drift /min")};
    for (int column = 0; column < 3; ++column) {
        auto *heading = new QLabel(headings[size_t(column)], this);
        QFont font = heading->font();
        font.setBold(true);
        heading->setFont(font);
        heading->setAlignment(Qt::AlignRight);
        grid->addWidget(heading, 0, column + 1);
    }
    const auto makeRow = [&](int row, const QString &caption, const char *name) {
        grid->addWidget(new QLabel(caption, this), row, 0);
        Row labels;
        int column = 1;
        for (QLabel **label : {&labels.mean, &labels.deviation, &labels.drift}) {
            *label = new QLabel(none, this);
            (*label)->setAlignment(Qt::AlignRight);
            (*label)->setMinimumWidth(
                (*label)->fontMetrics().horizontalAdvance(QStringLiteral("-00000.0")));
            grid->addWidget(*label, row, column++);
        }
        labels.mean->setObjectName(QStringLiteral("%1Mean").arg(QLatin1String(name)));
        labels.deviation->setObjectName(
            QStringLiteral("%1StandardDeviation").arg(QLatin1String(name)));
        labels.drift->setObjectName(QStringLiteral("%1Drift").arg(QLatin1String(name)));
        return labels;
    };
    m_reference = makeRow(1, QStringLiteral("Reference"), "reference");
    m_co2 = makeRow(2, QStringLiteral("CO2 signal"), "co2");
    m_ppm = makeRow(3, QStringLiteral("CO2 ppm"), "ppm");
    m_recent = makeRow(4, QStringLiteral("Last 30 s, ppm"), "recent");
    m_verdict = new QLabel(this);
    m_verdict->setObjectName(QStringLiteral("settledVerdict"));
    QFont bold = m_verdict->font();
    bold.setBold(true);
    m_verdict->setFont(bold);
    m_verdict->setMinimumWidth(
        m_verdict->fontMetrics().horizontalAdvance(QStringLiteral("still changing")));
    grid->addWidget(m_verdict, 4, 4);
    grid->setColumnStretch(0, 1);
}

void StabilityPanel::showFigures(const RunStability &stability, const ReadingSeries &readings,
                                 bool running)
{
    if (running)
        m_caption->setText(m_runName + QStringLiteral(" (running)"));
    showRow(m_reference, stability.reference);
    showRow(m_co2, stability.co2);
    const auto slope = readings.slopePerMinute();
    showRow(m_ppm, readings.count() > 0 ? std::optional(readings.mean()) : std::nullopt,
            readings.standardDeviation(), slope ? std::optional(slope->value) : std::nullopt);
}

void StabilityPanel::startRun(const QString &name)
{
    m_runName = name;
    m_caption->setText(name + QStringLiteral(" (running)"));
}

void StabilityPanel::endRun(const QString &how, const QString &ofRun)
{
    if (!m_runName.isEmpty() && (ofRun.isEmpty() || ofRun == m_runName))
        m_caption->setText(m_runName + QStringLiteral(": ") + how);
}

void StabilityPanel::showRecent(const RecentReadings &recent)
{
    showRow(m_recent, recent.count() > 0 ? std::optional(recent.mean()) : std::nullopt,
            recent.standardDeviation(), recent.driftPerMinute());
    const auto verdict = recent.verdict();
    m_verdict->setText(recent.verdictText());
    QPalette palette = m_verdict->palette();
    palette.setColor(QPalette::WindowText,
                     verdict == RecentReadings::Verdict::Settled ? QColor(0, 120, 0)
                         : verdict == RecentReadings::Verdict::StillChanging
                         ? QColor(180, 90, 0)
                         : palette.color(QPalette::WindowText));
    m_verdict->setPalette(palette);
}

void StabilityPanel::showRow(const Row &row, const SignalStability &signal)
{
    showRow(row, signal.count() > 0 ? std::optional(signal.mean()) : std::nullopt,
            signal.standardDeviation(), signal.driftPerMinute());
}

void StabilityPanel::showRow(const Row &row, std::optional<double> mean,
                             std::optional<double> deviation, std::optional<double> drift)
{
    row.mean->setText(mean ? figure(*mean) : none);
    row.deviation->setText(deviation ? figure(*deviation) : none);
    row.drift->setText(drift ? figure(*drift, true) : none);
}
