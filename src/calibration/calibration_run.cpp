// A calibration run: one sample per reading poll, running means of the two
// channel signals, and the new parameters at the end.

#include "shell/main_window.h"

#include "calibration/progress_text.h"
#include "shell/frame.h"
#include "shell/leading_number.h"
#include "shell/number_format.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>

void MainWindow::startRun(RunKind kind)
{
    SampleCount = 0;
    RxMean = 0;
    TxMean = 0;
    ZeroCalibrationRunning = kind == RunKind::Zero;
    SpanCalibrationRunning = kind == RunKind::Span;
    ZeroButton->setEnabled(false);
    SpanButton->setEnabled(false);
    CancelButton->setEnabled(true);
    m_runComplete = false;
    // Disabling the focused Zero or Span button would hand the focus on to the
    // span-gas entry with its text selected, where a stray key overwrites it;
    // on Cancel a stray Space would end the run. The reading's frame takes no
    // key; Cancel stays one click or Alt+C away.
    CO2displayFrame->setFocus();
    Status->setText(QStringLiteral("Wait..."));
    m_runStability = {};
    m_runTrace = {};
    // Readings on the new gas are no longer the last store's "as left".
    finishAsLeft();
    showRunProgress();
}

QString MainWindow::samplingStatusText() const
{
    return samplingText(ZeroCalibrationRunning ? RunKind::Zero : RunKind::Span, SampleCount + 1,
                        NumberOfSamples);
}

QString MainWindow::sampleMarker() const
{
    return ::sampleMarker(SampleCount + 1);
}

void MainWindow::takeSample()
{
    // Running means: no list of samples is kept, however long the run.
    ++SampleCount;
    RxMean += (RxValue.value_or(0) - RxMean) / SampleCount;
    TxMean += (TxValue.value_or(0) - TxMean) / SampleCount;
    const double seconds = double(m_clock.steadyMilliseconds()) / 1000.0;
    m_runStability.add(seconds, RxValue.value_or(0), TxValue.value_or(0));
    m_runTrace.add(seconds, avgValue.value_or(0));
    showRunProgress();
    if (SampleCount < NumberOfSamples)
        return;
    // The run has its samples. The polls behind the boxes of its end show
    // the readings again and take no sample: nothing is stored twice.
    m_runComplete = true;

    if (ZeroCalibrationRunning) {
        NewT0 = plainDecimalText(TxMean);
        NewR0 = plainDecimalText(RxMean);
        StoreZeroPoint(NewT0, NewR0);
        menuUndoZeroCalibration->setEnabled(true);
    } else {
        endSpanRun();
    }
    CancelButton_Click();
}

void MainWindow::menuNumberOfSamples_Click()
{
    const QString prompt = QStringLiteral("Number of Samples for Calibration.") + CommandTerminator
        + CommandTerminator + QStringLiteral("Default (100) samples will take 200 seconds.")
        + CommandTerminator + CommandTerminator + QStringLiteral("Do not decrease this value!");
    const QString answer = m_dialogs.input(prompt, QStringLiteral("Number Of Samples"),
                                           plainDecimalText(NumberOfSamples));
    if (answer.isEmpty())
        return;
    NumberOfSamples = LeadingNumber(answer);
}
