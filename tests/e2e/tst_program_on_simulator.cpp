// The program against the simulated transmitter, in real time: the real
// serial port, the real event loop, a real pseudo-terminal.

#include "real_port_window.h"
#include "simulator_process.h"
#include "test_main.h"
#include "window_fixture.h"

#include <QProcess>

class ProgramOnSimulatorTest : public QObject {
    Q_OBJECT

private slots:
    void programWritesEndOfTextThenPollsEveryTwoSeconds();
    void windowShowsTheGasTheSilenceAndTheErrors();
};

void ProgramOnSimulatorTest::programWritesEndOfTextThenPollsEveryTwoSeconds()
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

void ProgramOnSimulatorTest::windowShowsTheGasTheSilenceAndTheErrors()
{
    TemporaryCurrentDir dir;
    SimulatorProcess sim(QStringLiteral(TRANSMITTER_SIM));
    QVERIFY(sim.start(
        {QStringLiteral("--calibrated"), QStringLiteral("--gas"), QStringLiteral("1500")}));
    RealPortWindow w(sim.link());
    // The transmitter averages its last readings: give it a few seconds' worth.
    for (int i = 0; i < 5; ++i) {
        w.window->Timer1_Timer();
        QTest::qWait(250);
    }
    QCOMPARE(w.window->Status->text(), QStringLiteral("Serial Connection OK"));
    QVERIFY2(w.window->avgValue && std::abs(*w.window->avgValue - 1500) < 10,
             qPrintable(QString::number(w.window->avgValue.value_or(-1))));
    QCOMPARE(w.window->ppmText->text(), QStringLiteral("ppm"));
    QVERIFY(std::abs(w.window->ppmDisplay->text().toDouble() - 1500) <= 10);

    sim.control("gas 20000");
    QTest::qWait(4200);
    w.window->Timer1_Timer();
    QCOMPARE(w.window->ppmText->text(), QStringLiteral("%"));
    QVERIFY2(std::abs(w.window->ppmDisplay->text().toDouble() - 2.0) <= 0.02,
             qPrintable(w.window->ppmDisplay->text()));

    const int beeps = w.desktop.beeps;
    sim.control("fault noreply");
    w.window->Timer1_Timer();
    QCOMPARE(w.window->Status->text(),
             QStringLiteral("Transmitter Not Responding, Check Com and Cables"));
    QCOMPARE(statusColour(w.window->Status), 255);
    QCOMPARE(w.window->ppmDisplay->text(), QStringLiteral("????"));
    QCOMPARE(w.desktop.beeps, beeps + 1);
    sim.control("clear");
    w.window->Timer1_Timer();
    QCOMPARE(w.window->Status->text(), QStringLiteral("Serial Connection OK"));

    QVERIFY(w.port.write("FOO\r"));
    QVERIFY(w.window->WaitForReply(std::chrono::milliseconds(1000), '>'));
    QCOMPARE(w.window->RxBuffer, QByteArray("FOO\r\nERROR\r\n>"));
}

int main(int argc, char *argv[])
{
    return runTests<ProgramOnSimulatorTest>(argc, argv);
}

#include "tst_program_on_simulator.moc"
