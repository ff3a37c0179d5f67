#include "stability_panel.h"

#include "calibration/run_stability.h"

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
    setToolTip(QStringLiteral("Over the samples of the run so far. A settled gas shows a small "
                              "standard deviation and a drift near zero."));
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
    grid->setColumnStretch(0, 1);
}

void StabilityPanel::showFigures(const RunStability &stability, bool running)
{
    if (running)
        m_caption->setText(QStringLiteral("This run"));
    else if (stability.reference.count() > 0)
        m_caption->setText(QStringLiteral("Last run"));
    showRow(m_reference, stability.reference);
    showRow(m_co2, stability.co2);
}

void StabilityPanel::showRow(const Row &row, const SignalStability &signal)
{
    row.mean->setText(signal.count() > 0 ? figure(signal.mean()) : none);
    const auto deviation = signal.standardDeviation();
    row.deviation->setText(deviation ? figure(*deviation) : none);
    const auto drift = signal.driftPerMinute();
    row.drift->setText(drift ? figure(*drift, true) : none);
}
