#include "trend_view.h"

#include "platform/platform.h"

#include <QButtonGroup>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QGraphicsLineItem>
#include <QGraphicsPathItem>
#include <QGraphicsSimpleTextItem>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QScatterSeries>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const QColor concentrationColour(0x1f, 0x5f, 0xa8);
const QColor sampleColour(0xe6, 0x7e, 0x22);
const QColor relayOnColour(0xc0, 0x39, 0x2b);
const QColor relayOffColour(0x27, 0x8e, 0x4f);
const QColor markerColour(0x55, 0x55, 0x55);

// Above the grid and the axes, below the series (the samples' dots).
constexpr qreal lineZ = 3.5;
constexpr qreal markerZ = 3.6;

// Round tick steps, so the time labels fall on whole half-minutes or minutes.
qint64 tickMilliseconds(int spanMinutes)
{
    if (spanMinutes <= 2)
        return 30'000;
    if (spanMinutes <= 10)
        return 120'000;
    return 600'000;
}

// A round step (1, 2 or 5 times a power of ten) that cuts `range` into at
// most about `steps` steps.
double roundStep(double range, int steps)
{
    const double rough = range / steps;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0})
        if (factor * power >= rough)
            return factor * power;
    return 10 * power;
}

// The chart is the part of the window that gives up height first when the
// screen is small: it would like 220 pixels and makes do with fewer, down
// to a plot a few ticks tall between its time axis and its legend.
class ChartView : public QChartView {
public:
    ChartView(QChart *chart, QWidget *parent) : QChartView(chart, parent)
    {
        setMinimumHeight(minimumHeight);
    }
    QSize sizeHint() const override { return {QChartView::sizeHint().width(), 220}; }
    QSize minimumSizeHint() const override
    {
        return {QChartView::minimumSizeHint().width(), minimumHeight};
    }

protected:
    // A short chart leaves its legend out rather than its plot.
    void resizeEvent(QResizeEvent *event) override
    {
        chart()->legend()->setVisible(height() >= legendHeight);
        QChartView::resizeEvent(event);
    }

private:
    static constexpr int minimumHeight = 100;
    static constexpr int legendHeight = 170;
};

QLineSeries *relayLine(const QColor &colour)
{
    auto *line = new QLineSeries;
    QPen pen(colour);
    pen.setWidthF(1.5);
    pen.setStyle(Qt::DashLine);
    line->setPen(pen);
    return line;
}

// A series is on the chart (and in its legend) only while it has something to
// say: a relay line once its level is known. Off the chart, `owner` keeps it.
void showOnChart(QChart *chart, QAbstractSeries *series, bool shown,
                 const QList<QAbstractAxis *> &axes, QObject *owner)
{
    if (shown == chart->series().contains(series))
        return;
    if (shown) {
        chart->addSeries(series);
        for (QAbstractAxis *axis : axes)
            series->attachAxis(axis);
    } else {
        chart->removeSeries(series);
        series->setParent(owner);
    }
}

} // namespace

TrendView::TrendView(Clock &clock, QWidget *parent) : QGroupBox(parent), m_clock(clock)
{
    setObjectName(QStringLiteral("trendView"));
    createChart();

    // The caption shares its line with the span buttons: on a small screen
    // every line the trend does not need is a line more of the chart.
    auto *header = new QHBoxLayout;
    auto *caption = new QLabel(QStringLiteral("CO2 Trend"), this);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    header->addWidget(caption);
    header->addStretch();
    header->addWidget(new QLabel(QStringLiteral("Show the last"), this));
    header->addSpacing(4);
    auto *spans = new QButtonGroup(this);
    for (const int minutes : spanChoices) {
        auto *button = new QToolButton(this);
        button->setObjectName(QStringLiteral("trendSpan%1").arg(minutes));
        button->setText(QStringLiteral("%1 min").arg(minutes));
        button->setCheckable(true);
        button->setChecked(minutes == m_spanMinutes);
        button->setAutoRaise(true);
        spans->addButton(button, minutes);
        header->addWidget(button);
    }
    connect(spans, &QButtonGroup::idClicked, this, &TrendView::setSpanMinutes);

    auto *view = new ChartView(m_chart, this);
    view->setRenderHint(QPainter::Antialiasing);
    // The chart has nothing to do with keys, and a Tab stop that shows no
    // focus leaves the technician guessing where the focus went.
    view->setFocusPolicy(Qt::NoFocus);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 4);
    layout->setSpacing(0);
    layout->addLayout(header);
    layout->addWidget(view, 1);

    // The axis moves on with the clock even while no reading comes in.
    auto *scroll = new QTimer(this);
    scroll->setTimerType(Qt::VeryCoarseTimer);
    connect(scroll, &QTimer::timeout, this, [this] {
        if (isVisible())
            redraw();
    });
    scroll->start(5000);
    redraw();
}

void TrendView::createChart()
{
    m_chart = new QChart;
    // The plot is a white sheet on the window's own background.
    m_chart->setBackgroundVisible(false);
    m_chart->setPlotAreaBackgroundBrush(Qt::white);
    m_chart->setPlotAreaBackgroundVisible(true);
    m_chart->legend()->setAlignment(Qt::AlignBottom);

    m_concentration = new QLineSeries;
    m_concentration->setName(QStringLiteral("CO2 (avg)"));
    QPen pen(concentrationColour);
    pen.setWidthF(2);
    pen.setJoinStyle(Qt::RoundJoin);
    m_concentration->setPen(pen);
    m_line = new QGraphicsPathItem(m_chart);
    m_line->setPen(pen);
    m_line->setZValue(lineZ);
    m_samples = new QScatterSeries;
    m_samples->setName(QStringLiteral("Calibration samples"));
    m_samples->setMarkerSize(7);
    m_samples->setColor(sampleColour);
    m_samples->setBorderColor(sampleColour.darker(130));
    m_relayOnLine = relayLine(relayOnColour);
    m_relayOffLine = relayLine(relayOffColour);

    // Labels at whole minutes (or half minutes) while the axis ends at the
    // present: a time axis of categories placed on their values.
    m_timeAxis = new QCategoryAxis;
    m_timeAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    // A label at the present stands half beyond the plot's right edge: the
    // chart keeps room for that half, so the label is whole.
    const int halfLabel
        = QFontMetrics(m_timeAxis->labelsFont()).horizontalAdvance(QStringLiteral("00:00:00")) / 2;
    m_chart->setMargins(QMargins(2, 2, halfLabel + 2, 2));
    m_ppmAxis = new QValueAxis;
    m_ppmAxis->setTitleText(QStringLiteral("ppm"));
    m_ppmAxis->setLabelFormat(QStringLiteral("%.0f"));
    m_ppmAxis->setTickType(QValueAxis::TicksDynamic);
    m_ppmAxis->setTickAnchor(0);
    m_chart->addAxis(m_timeAxis, Qt::AlignBottom);
    m_chart->addAxis(m_ppmAxis, Qt::AlignLeft);
    for (QAbstractSeries *series :
         std::initializer_list<QAbstractSeries *> {m_concentration, m_samples}) {
        m_chart->addSeries(series);
        series->attachAxis(m_timeAxis);
        series->attachAxis(m_ppmAxis);
    }
    connect(m_chart, &QChart::plotAreaChanged, this, [this] {
        showPpmTicks();
        placeOnPlot();
    });
    // Not on the chart until their levels are known; the chart owns them then.
    m_relayOnLine->setParent(this);
    m_relayOffLine->setParent(this);
}

void TrendView::addReading(double ppm, bool sample)
{
    m_readings.add({m_clock.steadyMilliseconds(), ppm, sample});
    redraw();
}

void TrendView::addGap()
{
    // A break shows only once a reading follows it; until then a link that
    // stays down costs no redraw.
    const std::size_t before = m_readings.size();
    m_readings.addGap(m_clock.steadyMilliseconds());
    if (m_readings.size() != before)
        redraw();
}

void TrendView::addMarker(const QString &label)
{
    const qint64 now = m_clock.steadyMilliseconds();
    m_markers.append({now, label});
    while (qsizetype(m_markers.size()) > qsizetype(markerCapacity)
           || m_markers.front().time < now - keptMilliseconds)
        m_markers.removeFirst();
    redraw();
}

void TrendView::setRelayLevels(std::optional<double> on, std::optional<double> off)
{
    m_relayOn = on;
    m_relayOff = off;
    redraw();
}

void TrendView::setSpanMinutes(int minutes)
{
    m_spanMinutes = minutes;
    if (auto *button = findChild<QToolButton *>(QStringLiteral("trendSpan%1").arg(minutes)))
        button->setChecked(true);
    redraw();
}

void TrendView::showPpmTicks()
{
    // A label every 30 pixels or so, six at most. With more labels than a
    // short plot holds, the chart would cut every label to "...".
    const double plotHeight = m_chart->plotArea().height();
    const int steps = plotHeight > 0 ? std::clamp(int(plotHeight / 30), 1, 6) : 6;
    m_ppmAxis->setTickInterval(roundStep(m_ppmSpan, steps));
}

qsizetype TrendView::drawnReadings() const
{
    qsizetype readings = 0;
    for (const QList<QPointF> &piece : m_pieces)
        readings += piece.size();
    return readings;
}

QList<qsizetype> TrendView::drawnPieces() const
{
    QList<qsizetype> sizes;
    for (const QList<QPointF> &piece : m_pieces)
        sizes << piece.size();
    return sizes;
}

QList<TrendView::DrawnMarker> TrendView::drawnMarkers() const
{
    QList<DrawnMarker> drawn;
    for (const auto &[line, label] : m_markerItems)
        if (line->isVisible())
            drawn.append({label->text(), line->line().x1()});
    return drawn;
}

qsizetype TrendView::drawnSamples() const
{
    return m_samples->count();
}

bool TrendView::drawsRelayLevels() const
{
    return m_relayOnLine->count() > 0 || m_relayOffLine->count() > 0;
}

void TrendView::redraw()
{
    // The readings carry steady times; the axis shows the wall clock, so each
    // reading is placed by its age.
    const qint64 steadyNow = m_clock.steadyMilliseconds();
    const qint64 wallNow = m_clock.now().toMSecsSinceEpoch();
    const qint64 span = qint64(m_spanMinutes) * 60'000;
    const qint64 tick = tickMilliseconds(m_spanMinutes);
    const auto wall = [&](qint64 steady) { return double(wallNow - (steadyNow - steady)); };

    m_pieces.clear();
    QList<QPointF> piece;
    QList<QPointF> samples;
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (std::size_t i = m_readings.firstFrom(steadyNow - span); i < m_readings.size(); ++i) {
        const TrendPoint &point = m_readings.at(i);
        if (point.gap) {
            if (!piece.isEmpty())
                m_pieces << std::exchange(piece, {});
            continue;
        }
        const QPointF xy(wall(point.time), point.ppm);
        piece << xy;
        if (point.sample)
            samples << xy;
        low = std::min(low, point.ppm);
        high = std::max(high, point.ppm);
    }
    if (!piece.isEmpty())
        m_pieces << piece;
    m_samples->replace(samples);

    m_shownMarkers.clear();
    for (const Marker &marker : m_markers)
        if (marker.time >= steadyNow - span)
            m_shownMarkers.append({wall(marker.time), marker.label});

    const qint64 axisStart = wallNow - span;
    const qint64 axisEnd = wallNow;
    for (const QString &label : m_timeAxis->categoriesLabels())
        m_timeAxis->remove(label);
    m_timeAxis->setStartValue(double(axisStart));
    const QString format
        = m_spanMinutes <= 2 ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm");
    for (qint64 at = (axisStart / tick + 1) * tick; at <= axisEnd; at += tick)
        m_timeAxis->append(QDateTime::fromMSecsSinceEpoch(at).toString(format), double(at));
    m_timeAxis->setRange(double(axisStart), double(axisEnd));

    const auto drawLevel = [&](QLineSeries *series, std::optional<double> level,
                               const QString &name) {
        if (level) {
            series->replace({QPointF(double(axisStart), *level), QPointF(double(axisEnd), *level)});
            series->setName(name.arg(*level, 0, 'f', 0));
            low = std::min(low, *level);
            high = std::max(high, *level);
        } else {
            series->clear();
        }
        showOnChart(m_chart, series, level.has_value(), {m_timeAxis, m_ppmAxis}, this);
    };
    drawLevel(m_relayOnLine, m_relayOn, QStringLiteral("Relay ON %1 ppm"));
    drawLevel(m_relayOffLine, m_relayOff, QStringLiteral("Relay OFF %1 ppm"));

    if (low > high) {
        low = 0;
        high = 1000;
    }
    // A steady reading still gets a scale on which its noise shows as noise.
    if (high - low < 20) {
        const double middle = (low + high) / 2;
        low = middle - 10;
        high = middle + 10;
    }
    // The scale hugs the readings; its ticks fall on round numbers.
    const double margin = (high - low) * 0.06;
    m_ppmAxis->setRange(low - margin, high + margin);
    m_ppmSpan = high - low;
    showPpmTicks();
    placeOnPlot();
}

void TrendView::placeOnPlot()
{
    const auto at
        = [this](const QPointF &value) { return m_chart->mapToPosition(value, m_concentration); };
    QPainterPath path;
    for (const QList<QPointF> &piece : m_pieces) {
        // A reading between two breaks has no neighbour to join: a dot.
        if (piece.size() == 1) {
            path.addEllipse(at(piece.front()), 1.5, 1.5);
            continue;
        }
        path.moveTo(at(piece.front()));
        for (qsizetype i = 1; i < piece.size(); ++i)
            path.lineTo(at(piece[i]));
    }
    m_line->setPath(path);

    const QRectF plot = m_chart->plotArea();
    while (m_markerItems.size() < m_shownMarkers.size()) {
        auto *line = new QGraphicsLineItem(m_chart);
        line->setPen(QPen(markerColour, 1));
        line->setZValue(markerZ);
        auto *label = new QGraphicsSimpleTextItem(m_chart);
        QFont font = m_timeAxis->labelsFont();
        font.setPointSizeF(font.pointSizeF() * 0.9);
        label->setFont(font);
        label->setBrush(markerColour);
        label->setZValue(markerZ);
        m_markerItems.append({line, label});
    }
    QList<QRectF> labelsPlaced;
    for (qsizetype i = 0; i < m_markerItems.size(); ++i) {
        auto [line, label] = m_markerItems[i];
        const bool shown = i < m_shownMarkers.size();
        line->setVisible(shown);
        label->setVisible(shown);
        if (!shown)
            continue;
        const double x = at(QPointF(m_shownMarkers[i].first, 0)).x();
        line->setLine(x, plot.top(), x, plot.bottom());
        label->setText(m_shownMarkers[i].second);
        // Right of its line, or left of it where the plot ends first; a line
        // lower where an earlier label stands in the way.
        const QSizeF size = label->boundingRect().size();
        QRectF place(QPointF(x + 3 + size.width() > plot.right() ? x - 3 - size.width() : x + 3,
                             plot.top() + 1),
                     size);
        for (int row = 0; row < 3
             && std::any_of(labelsPlaced.begin(), labelsPlaced.end(),
                            [&](const QRectF &other) { return other.intersects(place); });
             ++row)
            place.translate(0, size.height());
        labelsPlaced << place;
        label->setPos(place.topLeft());
    }
}
