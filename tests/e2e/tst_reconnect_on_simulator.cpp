// The transmitter's USB adapter pulled out and plugged in again, in real time:
// the real serial port and event loop against the simulated transmitter.

#include "real_port_window.h"
#include "simulator_process.h"
#include "window_fixture.h"

#include <QTest>

class ReconnectOnSimulatorTest : public QObject {
    Q_OBJECT

private slots:
    void repluggedTransmitterIsPolledAgain();
};

void ReconnectOnSimulatorTest::repluggedTransmitterIsPolledAgain()
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

QTEST_MAIN(ReconnectOnSimulatorTest)

#include "tst_reconnect_on_simulator.moc"
