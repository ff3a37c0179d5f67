// The session on the window's controls: the status line, the large display,
// the readout, the trend, the buttons, the undo items, the stability panel
// and the message area follow what the session announces.

#include "shell/main_window.h"

#include "shell/frame.h"
#include "shell/line_monitor.h"
#include "shell/number_format.h"
#include "shell/stability_panel.h"
#include "shell/status_colour.h"
#include "shell/trend_view.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include <algorithm>
#include <cmath>

void MainWindow::connectSession()
{
    TransmitterSession &s = *m_session;
    s.setAmbient([this] { return enteredAmbient(); });
    connect(&s, &TransmitterSession::statusChanged, this, &MainWindow::showStatus);
    connect(&s, &TransmitterSession::displayChanged, this, &MainWindow::showDisplay);
    connect(&s, &TransmitterSession::readingArrived, this, &MainWindow::showReading);
    connect(&s, &TransmitterSession::readingMissed, m_trendView, &TrendView::addGap);
    connect(&s, &TransmitterSession::runStateChanged, this, &MainWindow::showRunState);
    connect(&s, &TransmitterSession::runStarted, this,
            [this] { m_stabilityPanel->startRun(m_session->runName()); });
    connect(&s, &TransmitterSession::runProgressed, this, &MainWindow::showRunProgress);
    connect(&s, &TransmitterSession::undoChanged, this, &MainWindow::showUndo);
    connect(&s, &TransmitterSession::outcome, this, &MainWindow::showOutcome);
    connect(&s, &TransmitterSession::notice, this,
            [this](const QString &text) { statusBar()->showMessage(text); });
    connect(&s, &TransmitterSession::lineNote, this,
            [this](const QString &text) { m_lineMonitor->note(text, m_clock.now()); });
    connect(&s, &TransmitterSession::linkChanged, this, &MainWindow::showLink);
    connect(&s, &TransmitterSession::relayLevelsChanged, m_trendView, &TrendView::setRelayLevels);
}

void MainWindow::showStatus()
{
    const StatusLine &status = m_session->status();
    QPalette palette = Status->palette();
    palette.setColor(QPalette::WindowText, toQColor(status.colour));
    Status->setPalette(palette);
    Status->setText(status.text);
}

void MainWindow::showDisplay()
{
    if (!m_session->displayValue().isEmpty())
        ppmDisplay->setText(m_session->displayValue());
    if (!m_session->displayUnit().isEmpty())
        ppmText->setText(m_session->displayUnit());
}

void MainWindow::showReading(const Reading &reading, bool sampled)
{
    RxLabel->setText(plainDecimalText(reading.rx));
    TxLabel->setText(plainDecimalText(reading.tx));
    ppmLabel->setText(plainDecimalText(reading.ppm));
    avgLabel->setText(plainDecimalText(reading.avg));
    m_trendView->addReading(reading.avg, sampled);
    m_stabilityPanel->showRecent(m_session->recentReadings());
}

void MainWindow::showRunState()
{
    const bool running = m_session->calibrationRunning();
    ZeroButton->setEnabled(!running);
    SpanButton->setEnabled(!running);
    CancelButton->setEnabled(running);
    // Disabling the focused Zero or Span button would hand the focus on to the
    // span-gas entry with its text selected, where a stray key overwrites it;
    // on Cancel a stray Space would end the run. The reading's frame takes no
    // key; Cancel stays one click or Alt+C away.
    if (running)
        CO2displayFrame->setFocus();
}

void MainWindow::showRunProgress()
{
    const TransmitterSession &s = *m_session;
    const bool running = s.calibrationRunning();
    m_runProgress->setVisible(running);
    if (running) {
        // The number of samples may be a fraction, 0 or huge (it is typed in);
        // the run ends at the first count that reaches it.
        const int total = int(std::clamp(std::ceil(s.NumberOfSamples), 1.0, 1e9));
        m_runProgress->setRange(0, total);
        m_runProgress->setValue(std::clamp(s.SampleCount, 0, total));
        m_runProgress->setFormat(QStringLiteral("Sample %1 of %2")
                                     .arg(s.SampleCount)
                                     .arg(plainDecimalText(s.NumberOfSamples)));
    }
    m_stabilityPanel->showFigures(s.runStability(), s.runReadings(), running);
}

void MainWindow::showUndo()
{
    menuUndoZeroCalibration->setEnabled(m_session->undoZeroAvailable());
    menuUndoSpanCalibration->setEnabled(m_session->undoSpanAvailable());
}

void MainWindow::showOutcome(const SessionOutcome &outcome)
{
    if (!outcome.message.isEmpty())
        statusBar()->showMessage(outcome.message);
    m_stabilityPanel->endRun(outcome.how, outcome.run);
    m_trendView->addMarker(outcome.marker);
}

GasAndAmbient MainWindow::enteredAmbient() const
{
    return {SpanGasConcentration->text(),
            CorrectedConcentration->text(),
            TemperatureText->text(),
            TemperatureLabel->text(),
            PressureText->text(),
            PressureLabel->text(),
            Temperature,
            Pressure};
}
