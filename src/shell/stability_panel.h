#pragma once

#include <QWidget>

#include <array>
#include <optional>

class QLabel;
class ReadingSeries;
class RecentReadings;
struct RunStability;
class SignalStability;

// Whether the gas at the sensor has settled: the concentration over the last
// 30 seconds with a verdict, so that Zero or Span is pressed at the right
// time; and the mean, standard deviation and drift of the run so far (the
// two signals and the concentration). Display only.
class StabilityPanel : public QWidget {
    Q_OBJECT

public:
    explicit StabilityPanel(QWidget *parent = nullptr);

    // `running`: the figures are of the run under way, not of the last one.
    void showFigures(const RunStability &stability, const ReadingSeries &readings, bool running);
    // Whose figures these are ("Zero calibration") and, once it has ended,
    // how ("stored", "cancelled", "refused", "undone", "PASS").
    void startRun(const QString &name);
    // `ofRun`: only when the figures are of that run (an undo ends the run
    // it undoes, if that is the one shown).
    void endRun(const QString &how, const QString &ofRun = {});
    void showRecent(const RecentReadings &recent);

private:
    struct Row {
        QLabel *mean = nullptr;
        QLabel *deviation = nullptr;
        QLabel *drift = nullptr;
    };
    static void showRow(const Row &row, const SignalStability &signal);
    static void showRow(const Row &row, std::optional<double> mean, std::optional<double> deviation,
                        std::optional<double> drift);

    QLabel *m_caption = nullptr;
    QString m_runName;
    Row m_reference;
    Row m_co2;
    Row m_ppm;
    Row m_recent;
    QLabel *m_verdict = nullptr;
};
