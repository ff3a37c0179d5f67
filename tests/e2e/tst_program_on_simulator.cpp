// The program against the simulated transmitter, in real time: the real
// serial port, the real event loop, a real pseudo-terminal.

#include "real_port_window.h"
#include "simulator_process.h"
#include "window_fixture.h"

#include <QProcess>

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

class ProgramOnSimulatorTest : public QObject {
    Q_OBJECT

private slots:
    void programWritesEndOfTextThenPollsEveryTwoSeconds()
    {
        TemporaryCurrentDir dir;
        SimulatorProcess sim(QStringLiteral(TRANSMITTER_SIM));
        QVERIFY(sim.start({QStringLiteral("--calibrated")}));
        writeFile(QStringLiteral("kestrin.ini"), "COM1:9600,N,8,1");

        qputenv("KESTRIN_COM1", sim.link().toLocal8Bit());
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QProcess program; // started in the current directory, the temporary one
        program.start(QStringLiteral(KESTRIN_PROGRAM), {});
        QVERIFY(program.waitForStarted(5000));
        QTest::qWait(4700);
        program.terminate();
        QVERIFY(program.waitForFinished(5000));
        qunsetenv("KESTRIN_COM1");

        const auto received = sim.received();
        QVERIFY2(received.size() >= 3, sim.log().constData());
        QCOMPARE((QList {received[0].second, received[1].second, received[2].second}),
                 (QList<QByteArray> {"\\x03", "X\\r", "X\\r"}));
        const double firstPoll = received[1].first - received[0].first;
        const double period = received[2].first - received[1].first;
        QVERIFY2(firstPoll > 1.8 && firstPoll < 2.3, qPrintable(QString::number(firstPoll)));
        QVERIFY2(period > 1.95 && period < 2.1, qPrintable(QString::number(period)));
        // The settings file is only read.
        QCOMPARE(readFile(QStringLiteral("kestrin.ini")), QByteArray("COM1:9600,N,8,1"));
    }

    void zeroAndSpanCalibrationCorrectTheReading()
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
        // The record holds both points.
        const QList<QByteArray> rows = readFile(QStringLiteral("appdata/calibrations.csv")).split('\n');
        const QByteArray where = ",COM1," + sim.link().toLocal8Bit() + ",,";
        QCOMPARE(rows.size(), 4); // the header, a row each, the last line end
        QVERIFY2(rows[1].startsWith("1,calibration,") && rows[1].contains(where + "zero,stored,3,"),
                 rows[1].constData());
        QVERIFY(rows[2].startsWith("2,calibration,") && rows[2].contains(where + "span,stored,3,2000,"));
    }

    // The transmitter's USB adapter pulled out and plugged in again.
    void repluggedTransmitterIsPolledAgain()
    {
        TemporaryCurrentDir dir;
        SimulatorProcess sim(QStringLiteral(TRANSMITTER_SIM));
        QVERIFY(sim.start({QStringLiteral("--calibrated")}));
        RealPortWindow program(sim.link());
        MainWindow &w = program.w();
        QTRY_COMPARE_WITH_TIMEOUT(w.Status->text(), QStringLiteral("Serial Connection OK"), 3000);

        sim.control("unplug");
        QTRY_COMPARE_WITH_TIMEOUT(w.Status->text(), QStringLiteral("Com Port is Closed"), 3000);
        QCOMPARE(w.ppmDisplay->text(), QStringLiteral("????"));
        QCOMPARE(program.desktop.beeps, 1);
        // A few tries on the missing device.
        QTest::qWait(2500);
        QVERIFY(!program.port.isOpen());

        sim.control("replug");
        QTRY_VERIFY_WITH_TIMEOUT(program.port.isOpen(), 3000);
        QTRY_COMPARE_WITH_TIMEOUT(w.Status->text(), QStringLiteral("Serial Connection OK"), 3000);

        // What the new line carried, on the simulator's clock: one end-of-text,
        // then the polls.
        const double replugged = sim.logged("START").last().first;
        QList<std::pair<double, QByteArray>> after;
        for (const auto &command : sim.received())
            if (command.first >= replugged)
                after << command;
        QVERIFY2(after.size() >= 2, sim.log().constData());
        QCOMPARE(after[0].second, QByteArray("\\x03"));
        QCOMPARE(after[1].second, QByteArray("X\\r"));
        QCOMPARE(std::count_if(after.begin(), after.end(),
                               [](const auto &command) { return command.second == "\\x03"; }),
                 1);
        const double reopened = after[0].first - replugged;
        const double polled = after[1].first - replugged;
        qInfo("replug to the port reopened: %.0f ms; replug to the first poll: %.0f ms",
              reopened * 1000, polled * 1000);
        QVERIFY2(reopened < 2.0, qPrintable(QString::number(reopened)));
    }
};

QTEST_MAIN(ProgramOnSimulatorTest)
#include "tst_program_on_simulator.moc"
