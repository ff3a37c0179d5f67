// The program itself against the simulated transmitter, in real time: the
// real executable, serial port and event loop on a real pseudo-terminal.

#include "simulator_process.h"
#include "window_fixture.h"

#include <QProcess>

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
    }
};

QTEST_MAIN(ProgramOnSimulatorTest)
#include "tst_program_on_simulator.moc"
