// The reading poll: every two seconds "X", the reply checked and shown.

#include "shell/main_window.h"

#include "link/command_set.h"
#include "calibration/stability_panel.h"
#include "measure/reading_record.h"
#include "measure/trend_view.h"
#include "platform/serial_port.h"
#include "platform/timer.h"
#include "shell/number_format.h"

#include <QLabel>

void MainWindow::Timer1_Timer()
{
    // One exchange at a time: no poll while another one waits for its reply.
    // The poll does run behind a box (the end of a run, a relay level asked
    // for), where the line is free.
    if (m_lineUser != LineUser::Idle)
        return;
    // A poll that cannot run leaves no reading: the trend's line breaks.
    if (!m_port.isOpen()) {
        m_trendView->addGap();
        return;
    }
    pollOnce();
    // A click that came during the wait runs now, as a click of its own.
    runAfterPoll();
}

void MainWindow::pollOnce()
{
    const Answer answer = send(Transmitter::command(Transmitter::Reading),
                               Transmitter::PollTimeout, LineUser::Poll);
    if (answer != Answer::Silent) {
        showPollReply();
    } else if (m_port.isOpen()) {
        m_trendView->addGap();
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
    if (sampling())
        setStatus(samplingStatusText(), StatusColour::Blue);
    else
        setStatus(QStringLiteral("Serial Connection OK"), StatusColour::Black);

    cutToRecord(RxBuffer);
    if (!hasRecordShape(RxBuffer)) {
        m_trendView->addGap();
        return;
    }

    const Reading reading = readRecord(RxBuffer);
    RxValue = reading.rx;
    RxLabel->setText(plainDecimalText(reading.rx));
    TxValue = reading.tx;
    TxLabel->setText(plainDecimalText(reading.tx));
    ppmValue = reading.ppm;
    ppmLabel->setText(plainDecimalText(reading.ppm));
    avgValue = reading.avg;
    avgLabel->setText(plainDecimalText(reading.avg));
    m_trendView->addReading(reading.avg, sampling());
    m_recentReadings.add(double(m_clock.steadyMilliseconds()) / 1000.0, reading.rx, reading.ppm);
    m_stabilityPanel->showRecent(m_recentReadings);

    if (reading.rx > 0 && reading.rx < 1000) {
        m_desktop.beep();
        setStatus(QStringLiteral("Transmitter Failure, IR-signal Low!"), StatusColour::Red);
    }

    if (!sampling())
        noteAsLeftReading(reading.avg);
    if (sampling()) {
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
