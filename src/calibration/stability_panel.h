#pragma once

#include <QWidget>

#include <array>

class QLabel;
struct RunStability;
class SignalStability;

// Mean, standard deviation and drift of the reference and CO2 signals over the
// samples of the run so far, so the technician sees whether the gas has
// settled before the run ends. Display only.
class StabilityPanel : public QWidget {
    Q_OBJECT

public:
    explicit StabilityPanel(QWidget *parent = nullptr);

    // `running`: the figures are of the run under way, not of the last one.
    void showFigures(const RunStability &stability, bool running);

private:
    struct Row {
        QLabel *mean = nullptr;
        QLabel *deviation = nullptr;
        QLabel *drift = nullptr;
    };
    static void showRow(const Row &row, const SignalStability &signal);

    QLabel *m_caption = nullptr;
    Row m_reference;
    Row m_co2;
};
