// A calibration run: one sample per reading poll, running means of the two
// channel signals, and the new parameters at the end.

#include "shell/main_window.h"

#include "calibration/progress_text.h"
#include "calibration/stability_panel.h"
#include "shell/frame.h"
#include "shell/leading_number.h"
#include "shell/number_format.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>

#include <algorithm>
#include <array>
#include <cmath>

void MainWindow::startRun(RunKind kind)
{
    SampleCount = 0;
    RxMean = 0;
    TxMean = 0;
    ZeroCalibrationRunning = kind == RunKind::Zero;
    SpanCalibrationRunning = kind == RunKind::Span;
    if (kind == RunKind::CheckZero)
        m_check = CalibrationKind::CheckZero;
    else if (kind == RunKind::CheckSpan)
        m_check = CalibrationKind::CheckSpan;
    else
        m_check.reset();
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
    m_runReadings = ReadingSeries(int(std::clamp(std::ceil(NumberOfSamples), 1.0, 1e9)));
    m_runJudgement.reset();
    m_runOverridden = false;
    static const std::array<QString, 4> names {
        QStringLiteral("Zero calibration"), QStringLiteral("Span calibration"),
        QStringLiteral("Zero check"), QStringLiteral("Span check")};
    m_stabilityPanel->startRun(names[size_t(kind)]);
    // Readings on the new gas are no longer the last store's "as left".
    finishAsLeft();
    showRunProgress();
}

QString MainWindow::samplingStatusText() const
{
    const RunKind kind = m_check == CalibrationKind::CheckZero ? RunKind::CheckZero
        : m_check == CalibrationKind::CheckSpan                 ? RunKind::CheckSpan
        : ZeroCalibrationRunning                                ? RunKind::Zero
                                                                : RunKind::Span;
    return samplingText(kind, SampleCount + 1, NumberOfSamples);
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
    m_runReadings.add(seconds, RxValue.value_or(0), ppmValue.value_or(0));
    showRunProgress();
    if (SampleCount < NumberOfSamples)
        return;
    // The run has its samples. The polls behind the boxes of its end show
    // the readings again and take no sample: nothing is stored twice.
    m_runComplete = true;

    if (const auto check = m_check) {
        // Back to idle first: a failed check may start a calibration.
        CancelButton_Click();
        endCheck(*check);
        return;
    }
    if (ZeroCalibrationRunning) {
        NewT0 = plainDecimalText(TxMean);
        NewR0 = plainDecimalText(RxMean);
        if (runMayBeStored(CalibrationKind::Zero, 0)) {
            StoreZeroPoint(NewT0, NewR0);
            menuUndoZeroCalibration->setEnabled(true);
        }
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

bool MainWindow::runMayBeStored(CalibrationKind kind, double appliedPpm)
{
    const bool zero = kind == CalibrationKind::Zero;
    m_runJudgement = judgeRun(m_runReadings, appliedPpm, preferences().tolerance());
    if (m_runJudgement->passed())
        return true;
    // A doubtful run asks before anything reaches the transmitter; Enter and
    // Escape both keep it out.
    m_desktop.beep();
    const QString question = m_runJudgement->reasons().join(CommandTerminator)
        + CommandTerminator + CommandTerminator
        + (zero ? QStringLiteral("Store the zero point all the same?")
                : QStringLiteral("Store the span point all the same?"));
    if (m_dialogs.message(question, MessageButtons::OkCancelSafe, MessageIcon::Question,
                          applicationTitle)
        == MessageResult::Ok) {
        m_runOverridden = true;
        return true;
    }
    recordCalibration(kind, {StoreResult::Outcome::Refused, m_runJudgement->reasonCode()}, {},
                      {});
    statusBar()->showMessage(zero ? QStringLiteral("Zero calibration refused: nothing written")
                                  : QStringLiteral("Span calibration refused: nothing written"));
    return false;
}

void MainWindow::menuCalibrationTolerance_Click()
{
    const Preferences kept = preferences();
    const QString answer = m_dialogs.input(
        QStringLiteral("Calibration tolerance: how far the transmitter's reading during a run may "
                       "be from the applied gas, in ppm plus percent of the gas.")
            + CommandTerminator + CommandTerminator
            + QStringLiteral("A run outside it, or on a gas that has not settled, asks before "
                             "anything is stored."),
        QStringLiteral("Calibration Tolerance"), toleranceText(kept.tolerance()));
    if (answer.isEmpty())
        return;
    const auto tolerance = parseTolerance(answer);
    if (!tolerance) {
        report(QStringLiteral("The tolerance must be two numbers, such as \"50 ppm + 5 %\"."));
        return;
    }
    preferences().setTolerance(*tolerance);
}

Preferences MainWindow::preferences() const
{
    return Preferences(m_desktop.preferencesFile());
}
