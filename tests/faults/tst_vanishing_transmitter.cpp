// The transmitter's USB adapter is pulled in the middle of each operation
// that talks to it, on the real serial port: the operation ends with its
// message, the window is idle with the normal pointer, nothing more is sent,
// and once the adapter is back, choosing the port again works.

#include "tst_line.h"

#include "line_fixture.h"
#include "real_port_window.h"
#include "simulator_process.h"

#include <QLabel>

namespace {

const QString notResponding = QStringLiteral("Transmitter Is Not Responding, Check Com And Cables");
const QString notRespondingStatus
    = QStringLiteral("Transmitter Not Responding, Check Com and Cables");
const QString portClosed = QStringLiteral("Com Port is Closed");

bool isValueWrite(const QByteArray &command, const char *letters)
{
    return command.startsWith(letters) && command.size() > 2;
}

} // namespace

void VanishingTransmitterTest::pulledAdapterEndsTheOperationCleanly_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QByteArray>("pulledAt"); // the command at which it goes
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("poll") << "poll" << QByteArray("X") << portClosed << QStringList();
    QTest::newRow("zero run") << "zero run" << QByteArray("X") << portClosed << QStringList();
    QTest::newRow("zero point between T0 and SAVE")
        << "zero store" << QByteArray("R0=") << notRespondingStatus << QStringList();
    QTest::newRow("span start") << "span start" << QByteArray("TS") << portClosed
                                << QStringList {notResponding};
    QTest::newRow("download") << "download" << QByteArray("RL700")
                              << "Transmitter Is Not Responding!" << QStringList();
    QTest::newRow("relay save") << "relay" << QByteArray("Save") << portClosed
                                << QStringList {notResponding};
    QTest::newRow("printout") << "printout" << QByteArray("PARAM") << portClosed
                              << QStringList {"Transmitter Not Responding, Check Com And Cables"};
}

void VanishingTransmitterTest::pulledAdapterEndsTheOperationCleanly()
{
    QFETCH(QString, operation);
    QFETCH(QByteArray, pulledAt);
    QFETCH(QString, status);
    QFETCH(QStringList, messages);

    LineFixture f;
    MainWindow &w = f.w();
    QVERIFY(f.port.isOpen());
    // "R0=" stands for R0 with a value: the zero point is being written.
    const auto isPulledAt = [&](const QByteArray &command) {
        return pulledAt == "R0=" ? isValueWrite(command, "R0") : command == pulledAt;
    };
    int xCount = 0;
    f.transmitter.onCommand = [&](const QByteArray &command) {
        // The zero run takes its first sample; the adapter goes at the second.
        if (command == "X" && operation == u"zero run" && ++xCount == 1) {
            f.transmitter.answerWell(command);
            return;
        }
        if (isPulledAt(command))
            f.transmitter.pullOut();
        else
            f.transmitter.answerWell(command);
    };

    qsizetype messagesBefore = 0;
    if (operation == u"poll") {
        w.Timer1_Timer();
    } else if (operation == u"zero run") {
        w.ZeroButton_Click();
        messagesBefore = 1; // ready with the zero gas?
        QVERIFY(w.ZeroCalibrationRunning);
        w.Timer1_Timer();
        QCOMPARE(w.SampleCount, 1);
        w.Timer1_Timer();
    } else if (operation == u"zero store") {
        w.NumberOfSamples = 1;
        w.ZeroButton_Click();
        messagesBefore = 1;
        w.Timer1_Timer();
        // The undo item is enabled whether storing succeeded or not.
        QVERIFY(w.menuUndoZeroCalibration->isEnabled());
    } else if (operation == u"span start") {
        w.NewT0 = QStringLiteral("30000");
        w.NewR0 = QStringLiteral("20000");
        w.SpanButton_Click();
        messagesBefore = 1; // the question with the transmitter's span
    } else if (operation == u"download") {
        const QString file = QDir::current().absoluteFilePath(QStringLiteral("p.par"));
        writeFile(file, "RH800\r\nRL700\r\nT0\r\n");
        f.dialogs.fileAnswers << file;
        w.menuOpenParameterFile_Click();
        messagesBefore = 1; // the confirmation
    } else if (operation == u"relay") {
        w.menuRelayTriggerPoint_Click();
        messagesBefore = 1; // the confirmation
    } else if (operation == u"printout") {
        f.dialogs.inputAnswers << QStringLiteral("Date 2026-12-06 Time 14:05")
                               << QStringLiteral("K-1 0042");
        w.menuPrintTransmitterParameters_Click();
        QCOMPARE(f.printer.documentsEnded, 0);
    }

    QVERIFY2(f.writesWhenLost >= 0, "the port never reported the device lost");
    QVERIFY(isPulledAt(f.transmitter.commands.last()));
    QCOMPARE(f.port.attempts.size(), f.writesWhenLost);
    QVERIFY(!f.port.isOpen());
    QCOMPARE(w.Status->text(), status);
    QCOMPARE(statusColour(w.Status), int(StatusColour::Red));
    QCOMPARE(f.dialogs.messageTexts().mid(messagesBefore), messages);
    QVERIFY(f.isIdle());
    QVERIFY(!w.menuCloseComPort->isEnabled());
    QVERIFY(!w.menuCom[1]->isChecked());
    QVERIFY(w.Timer1->isEnabled());

    // The adapter is plugged in again and the technician chooses the port.
    f.transmitter.onCommand = nullptr;
    f.transmitter.plugIn();
    w.menuCom[1]->trigger();
    QVERIFY(f.port.isOpen());
    QVERIFY(w.menuCom[1]->isChecked());
    QCOMPARE(w.Status->text(), QStringLiteral("Com Port is Open"));
    w.Timer1_Timer();
    QCOMPARE(w.Status->text(), QStringLiteral("Serial Connection OK"));
    QCOMPARE(w.ppmDisplay->text(), QStringLiteral("460"));
    // Nothing of the interrupted operation follows on the new line.
    QCOMPARE(f.transmitter.received, QByteArray("\bX\r"));
}

// The same with the simulated transmitter's own unplug and replug, in the
// middle of a zero run.
void VanishingTransmitterTest::simulatorUnpluggedDuringARunAndPluggedInAgain()
{
    TemporaryCurrentDir dir;
    SimulatorProcess sim(QStringLiteral(TRANSMITTER_SIM));
    QVERIFY(sim.start({QStringLiteral("--calibrated")}));
    RealPortWindow r(sim.link());
    MainWindow &w = r.w();
    w.ZeroButton_Click();
    QVERIFY(w.ZeroCalibrationRunning);
    w.Timer1_Timer();
    QCOMPARE(w.SampleCount, 1);

    sim.control("unplug");
    QTRY_VERIFY_WITH_TIMEOUT(!r.port.isOpen(), 2000);
    QCOMPARE(w.Status->text(), QStringLiteral("Com Port is Closed"));
    QVERIFY(!w.ZeroCalibrationRunning && w.ZeroButton->isEnabled() && !w.CancelButton->isEnabled());
    w.Timer1_Timer(); // the poll finds the port closed and does nothing

    sim.control("replug");
    w.menuCom[1]->trigger();
    QVERIFY(r.port.isOpen());
    w.Timer1_Timer();
    QCOMPARE(w.Status->text(), QStringLiteral("Serial Connection OK"));
    // After the hang-up only the backspace of the new choice and the poll
    // reached the transmitter.
    const auto received = sim.received();
    QVERIFY(received.size() >= 2);
    QCOMPARE(received[received.size() - 2].second, QByteArray("\\x08"));
    QCOMPARE(received.last().second, QByteArray("X\\r"));
}
