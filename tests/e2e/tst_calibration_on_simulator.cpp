// A zero and a span calibration against the simulated transmitter, on a real
// pseudo-terminal with the real serial port and clock: the transmitter that
// read wrong reads right afterwards.

#include "tst_calibration.h"

#include "real_port_window.h"
#include "simulator_process.h"

#include <QTest>

#include <chrono>
#include <cmath>
#include <thread>

namespace {

// The transmitter measures once a second; a sample taken sooner after the gas
// changed would still show the gas before.
void nextMeasurement()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(1050));
}

} // namespace

void CalibrationOnSimulatorTest::zeroAndSpanCalibrationCorrectTheReading()
{
    TemporaryCurrentDir dir;
    // The zero point aged as in the simulator's default start, and the span
    // point aged too: out of the box only the zero point is off, and the
    // reading at the span gas would be right before any calibration.
    writeFile(QStringLiteral("aged.state"),
              "T0 30450\nR0 20000\nTS 24750\nRS 20000\nSpan 2000\nRH 800\nRL 700\n");
    SimulatorProcess sim(QStringLiteral(TRANSMITTER_SIM));
    QVERIFY(sim.start({"--seed", "7", "--gas", "2000", "--state", dir.path() + "/aged.state"}));
    RealPortWindow program(sim.link());
    MainWindow &w = program.w();
    FakeDialogs &dialogs = program.dialogs;
    QCOMPARE(w.Status->text(), QStringLiteral("Com Port is Open"));
    w.NumberOfSamples = 3;

    w.Timer1_Timer();
    QVERIFY(w.avgValue);
    const double before = *w.avgValue;
    QVERIFY2(std::fabs(before - 2000) > 50, qPrintable(QString::number(before)));

    // The polls are called directly: each is a real exchange, without the
    // two seconds between ticks.
    sim.control("gas 0");
    nextMeasurement();
    w.ZeroButton_Click();
    for (int i = 0; i < 3; ++i)
        w.Timer1_Timer();
    sim.control("gas 2000");
    nextMeasurement();
    w.SpanButton_Click();
    for (int i = 0; i < 3; ++i)
        w.Timer1_Timer();
    QCOMPARE(dialogs.messageTexts().filter("Set And Saved"),
             QStringList({"Zero Point Set And Saved", "Span Point Set And Saved"}));

    // A power cycle: the transmitter works from what it saved, and its
    // average starts afresh at the gas now applied.
    const auto readingAfterRestart = [&](const QByteArray &gas) {
        sim.control("gas " + gas);
        sim.control("restart");
        w.Timer1_Timer();
        return w.avgValue.value_or(-1);
    };
    // Within one step of the display: the detector noise in a three-sample
    // run moves the result by a few ppm.
    const double atSpan = readingAfterRestart("2000");
    QVERIFY2(std::fabs(atSpan - 2000) < 10, qPrintable(QString::number(atSpan)));
    const double after = readingAfterRestart("400");
    QVERIFY2(std::fabs(after - 400) < 10, qPrintable(QString::number(after)));
    QCOMPARE(program.desktop.beeps, 0);
}
