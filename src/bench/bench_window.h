#pragma once

#include "bench/bench.h"
#include "platform/boxes.h"
#include "platform/platform.h"

#include <QMainWindow>

#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// The bench's window: one row per transmitter (its port and adapter, version,
// type and serial number, live reading, whether its gas has settled, the
// run's progress and the last outcome), one Zero, Span and Cancel for all of
// them, the bench's own gas and ambient entries (hPa and °C), and the
// Special settings of the single window. A row's context menu undoes that
// transmitter's last zero or span calibration.
class BenchWindow : public QMainWindow {
    Q_OBJECT

public:
    // The bench is the window's; its rows are added before the window is
    // made, and opened by it. A `parent` makes it a window of its own that
    // goes with its parent.
    BenchWindow(std::unique_ptr<Bench> bench, Dialogs &dialogs, Desktop &desktop,
                QWidget *parent = nullptr);
    ~BenchWindow() override;

    Bench &bench() { return *m_bench; }

    enum Column { Port, Adapter, Version, TypeAndSerial, Reading, Gas, Run, Outcome, Columns };

    QTableWidget *transmitters = nullptr;
    QPushButton *ZeroButton = nullptr;
    QPushButton *SpanButton = nullptr;
    QPushButton *CancelButton = nullptr;
    QLineEdit *SpanGasConcentration = nullptr;
    QLineEdit *PressureText = nullptr;
    QLineEdit *TemperatureText = nullptr;
    QLabel *CorrectedConcentration = nullptr;
    QAction *menuCalibrationCertificates = nullptr;
    QAction *menuNumberOfSamples = nullptr;
    QAction *menuCalibrationTolerance = nullptr;
    QAction *menuCorrectionLimit = nullptr;
    QAction *menuAccuracyCheckZero = nullptr;
    QAction *menuAccuracyCheckSpan = nullptr;
    QAction *menuClose = nullptr;

    void ZeroButton_Click();
    void SpanButton_Click();
    void CancelButton_Click();
    void menuCalibrationCertificates_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void createMenus();
    void showRow(int index);
    void showOperation();
    void showCorrected();
    GasAndAmbient enteredAmbient() const;
    void rowMenu(const QPoint &position);
    // The bench's operations wait for a poll's gathering to end.
    void whenIdle(const std::function<void()> &handler);

    std::unique_ptr<Bench> m_bench;
    Dialogs &m_dialogs;
    Desktop &m_desktop;
    Boxes m_boxes;
    QString m_corrected; // the corrected concentration, as shown
};
