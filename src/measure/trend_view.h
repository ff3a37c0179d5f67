#pragma once

#include "measure/trend_buffer.h"

#include <QGroupBox>

#include <array>
#include <optional>

class Clock;
class QChart;
class QCategoryAxis;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

// The live trend: the averaged concentration of every valid reading over the
// last 2, 10 or 60 minutes, the relay's ON and OFF levels as lines once they
// are known, and the samples of calibration runs marked. It only draws what
// the reading poll has already read; the time on its axis is the platform's.
class TrendView : public QGroupBox {
    Q_OBJECT

public:
    static constexpr std::array<int, 3> spanChoices {2, 10, 60}; // minutes
    // The readings of the longest span: the poll reads at most one every 2 s.
    static constexpr qint64 keptMilliseconds = 60 * 60 * 1000;
    static constexpr std::size_t capacity = 2048;

    explicit TrendView(Clock &clock, QWidget *parent = nullptr);

    void addReading(double ppm, bool sample);
    // An empty level is not known (yet) and draws no line.
    void setRelayLevels(std::optional<double> on, std::optional<double> off);
    void setSpanMinutes(int minutes);
    int spanMinutes() const { return m_spanMinutes; }

    const TrendBuffer &readings() const { return m_readings; }
    // What the chart holds after the last redraw.
    qsizetype drawnReadings() const;
    qsizetype drawnSamples() const;
    bool drawsRelayLevels() const;

    // Brings the axes and lines up to the platform clock's present.
    void redraw();

private:
    void createChart();
    void showPpmTicks();

    Clock &m_clock;
    TrendBuffer m_readings {keptMilliseconds, capacity};
    int m_spanMinutes = 10;
    std::optional<double> m_relayOn;
    std::optional<double> m_relayOff;
    double m_ppmSpan = 0; // from the lowest to the highest value drawn

    QChart *m_chart = nullptr;
    QLineSeries *m_concentration = nullptr;
    QScatterSeries *m_samples = nullptr;
    QLineSeries *m_relayOnLine = nullptr;
    QLineSeries *m_relayOffLine = nullptr;
    QCategoryAxis *m_timeAxis = nullptr;
    QValueAxis *m_ppmAxis = nullptr;
};
