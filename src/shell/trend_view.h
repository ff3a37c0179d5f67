#pragma once

#include "measure/trend_buffer.h"

#include <QGroupBox>

#include <array>
#include <optional>

class Clock;
class QChart;
class QCategoryAxis;
class QGraphicsLineItem;
class QGraphicsPathItem;
class QGraphicsSimpleTextItem;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

// The live trend: the averaged concentration of every valid reading over the
// last 2, 10 or 60 minutes, the relay's ON and OFF levels as lines once they
// are known, the samples of calibration runs marked, and events (a store, an
// undo) marked on the time axis. The line breaks where the window had no
// reading: a poll without a valid reply, a port that was away. It only draws
// what the window has told it; the time on its axis is the platform's.
class TrendView : public QGroupBox {
    Q_OBJECT

public:
    static constexpr std::array<int, 3> spanChoices {2, 10, 60}; // minutes
    // The readings of the longest span: the poll reads at most one every 2 s.
    static constexpr qint64 keptMilliseconds = 60 * 60 * 1000;
    // Room for a break after every reading.
    static constexpr std::size_t capacity = 4096;
    static constexpr std::size_t markerCapacity = 200;

    explicit TrendView(Clock &clock, QWidget *parent = nullptr);

    void addReading(double ppm, bool sample);
    // No valid reading now (no reply, a malformed one, the port away): the
    // line breaks here. Several in a row are one break.
    void addGap();
    // Marks the present on the time axis with a thin vertical line and a
    // short label ("Zero stored"); the mark moves on with the trend.
    void addMarker(const QString &label);
    // An empty level is not known (yet) and draws no line.
    void setRelayLevels(std::optional<double> on, std::optional<double> off);
    void setSpanMinutes(int minutes);
    int spanMinutes() const { return m_spanMinutes; }

    const TrendBuffer &readings() const { return m_readings; }
    // What the chart holds after the last redraw.
    qsizetype drawnReadings() const;
    // The readings of each unbroken piece of the line, oldest first; a piece
    // of one reading is drawn as a dot.
    QList<qsizetype> drawnPieces() const;
    struct DrawnMarker {
        QString label;
        double x = 0; // on the chart, in its own coordinates
    };
    QList<DrawnMarker> drawnMarkers() const;
    qsizetype drawnSamples() const;
    bool drawsRelayLevels() const;

    // Brings the axes and lines up to the platform clock's present.
    void redraw();

private:
    void createChart();
    void showPpmTicks();
    // The line and the marks placed on the plot as it now lies.
    void placeOnPlot();

    Clock &m_clock;
    TrendBuffer m_readings {keptMilliseconds, capacity};
    int m_spanMinutes = 10;
    std::optional<double> m_relayOn;
    std::optional<double> m_relayOff;
    double m_ppmSpan = 0; // from the lowest to the highest value drawn
    struct Marker {
        qint64 time = 0; // steady milliseconds
        QString label;
    };
    QList<Marker> m_markers; // oldest first
    // What the last redraw drew, in axis values (wall-clock milliseconds, ppm).
    QList<QList<QPointF>> m_pieces;
    QList<std::pair<double, QString>> m_shownMarkers;

    QChart *m_chart = nullptr;
    // Named in the legend; the line itself is a path, which can break.
    QLineSeries *m_concentration = nullptr;
    QGraphicsPathItem *m_line = nullptr;
    QList<std::pair<QGraphicsLineItem *, QGraphicsSimpleTextItem *>> m_markerItems;
    QScatterSeries *m_samples = nullptr;
    QLineSeries *m_relayOnLine = nullptr;
    QLineSeries *m_relayOffLine = nullptr;
    QCategoryAxis *m_timeAxis = nullptr;
    QValueAxis *m_ppmAxis = nullptr;
};
