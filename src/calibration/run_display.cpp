// What the technician sees of a run besides the status line: a progress bar
// and how steady the signals have been. It only reads the run's values.

#include "shell/main_window.h"

#include "calibration/stability_panel.h"
#include "shell/number_format.h"

#include <QProgressBar>

#include <algorithm>
#include <cmath>

void MainWindow::showRunProgress()
{
    const bool running = calibrationRunning();
    m_runProgress->setVisible(running);
    if (running) {
        // The number of samples may be a fraction, 0 or huge (it is typed in);
        // the run ends at the first count that reaches it.
        const int total = int(std::clamp(std::ceil(NumberOfSamples), 1.0, 1e9));
        m_runProgress->setRange(0, total);
        m_runProgress->setValue(std::clamp(SampleCount, 0, total));
        m_runProgress->setFormat(QStringLiteral("Sample %1 of %2")
                                     .arg(SampleCount)
                                     .arg(plainDecimalText(NumberOfSamples)));
    }
    m_stabilityPanel->showFigures(m_runStability, m_runReadings, running);
}
