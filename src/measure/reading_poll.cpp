// The reading poll: every two seconds "X", the reply checked and shown.

#include "shell/main_window.h"

#include "link/command_set.h"
#include "measure/reading_record.h"
#include "measure/trend_view.h"
#include "platform/serial_port.h"
#include "platform/timer.h"
#include "shell/number_format.h"

#include <QLabel>
#include <QScopedValueRollback>

void MainWindow::Timer1_Timer()
{
    // Another exchange is waiting for its reply: never start a second one.
    // Nor does a tick start inside another: the end of a run shows a box, and
    // the timer goes on ticking behind it while the run is not yet over.
    if (TimeOutTimer->isEnabled() || m_waitDepth > 0 || m_inPoll)
        return;
    if (!m_port.isOpen())
        return;
    {
        const QScopedValueRollback inPoll(m_inPoll, true);
        pollOnce();
    }
    // A click that came during the wait runs now, as a click of its own.
    runAfterPoll();
}

void MainWindow::pollOnce()
{
    m_pollWaiting = true;
    const bool replied
        = exchange(Transmitter::command(Transmitter::Reading), Transmitter::PollTimeout);
    m_pollWaiting = false;

    if (replied) {
        showPollReply();
    } else if (m_port.isOpen()) {
        m_desktop.beep();
        setStatus(QStringLiteral("Transmitter Not Responding, Check Com and Cables"),
                  StatusColour::Red);
        ppmDisplay->setText(QStringLiteral("????"));
        CancelButton_Click();
    }
    // else the port went away during the wait, and the window already says so.
}

void MainWindow::showPollReply()
{
    // The link works even if this reply turns out malformed.
    if (calibrationRunning())
        setStatus(samplingStatusText(), StatusColour::Blue);
    else
        setStatus(QStringLiteral("Serial Connection OK"), StatusColour::Black);

    cutToRecord(RxBuffer);
    if (!hasRecordShape(RxBuffer))
        return;

    const Reading reading = readRecord(RxBuffer);
    RxValue = reading.rx;
    RxLabel->setText(plainDecimalText(reading.rx));
    TxValue = reading.tx;
    TxLabel->setText(plainDecimalText(reading.tx));
    ppmValue = reading.ppm;
    ppmLabel->setText(plainDecimalText(reading.ppm));
    avgValue = reading.avg;
    avgLabel->setText(plainDecimalText(reading.avg));
    m_trendView->addReading(reading.avg, calibrationRunning());

    if (reading.rx > 0 && reading.rx < 1000) {
        m_desktop.beep();
        setStatus(QStringLiteral("Transmitter Failure, IR-signal Low!"), StatusColour::Red);
    }

    if (calibrationRunning()) {
        ppmDisplay->setText(QStringLiteral("sample"));
        ppmText->setText(sampleMarker());
        takeSample();
        return;
    }
    const ConcentrationDisplay display = concentrationDisplay(reading);
    if (display.value)
        ppmDisplay->setText(*display.value);
    if (display.unit)
        ppmText->setText(*display.unit);
}
