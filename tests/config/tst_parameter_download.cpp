// Sending a parameter file: what goes on the wire, where it stops, and what
// the technician is told.

#include "tst_config.h"

#include "test_main.h"

namespace {

const QString sentAndSaved = QStringLiteral("Parameters sent and saved into the transmitter");
const QString aborted = QStringLiteral("Error during sending the parameters!\rSending is aborted!");
const QString notResponding = QStringLiteral("Transmitter Is Not Responding!");

} // namespace

void ParameterDownloadTest::fileGoesOutAsItStands_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("golden");
    QTest::addColumn<QString>("status");

    QTest::newRow("CR LF, last line ended")
        << QByteArray("RH800\r\nRL700\r\n") << "download_crlf.wire" << sentAndSaved;
    QTest::newRow("last line without line end")
        << QByteArray("RH800\r\nRL700") << "download_no_final_line_end.wire" << sentAndSaved;
    QTest::newRow("blank line and blanks kept")
        << QByteArray(" RH800 \r\n\r\nRL700\r\n") << "download_blank_line.wire" << sentAndSaved;
    QTest::newRow("empty file") << QByteArray() << "download_empty_file.wire" << sentAndSaved;
    // Without a carriage return the transmitter never sees the end of the
    // command and does not answer.
    QTest::newRow("line feeds only")
        << QByteArray("RH800\nRL700\n") << "download_lf_only.wire" << notResponding;
}

void ParameterDownloadTest::fileGoesOutAsItStands()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, golden);
    QFETCH(QString, status);
    ConfigFixture f;
    const QString file = writeParameterFile(content);
    f.fake.dialogs.fileAnswers << file;
    f.w().menuOpenParameterFile->trigger();

    COMPARE_GOLDEN(f.fake.port.written, golden);
    const ShownBox &confirm = f.fake.dialogs.shown[1];
    QCOMPARE(confirm.text, content + QStringLiteral("\rPlease Confirm To Send The Parameters?"));
    QCOMPARE(confirm.title, file);
    QCOMPARE(f.w().Status->text(), status);
    const bool done = status == sentAndSaved;
    QCOMPARE(statusColour(f.w().Status), int(done ? StatusColour::Black : StatusColour::Red));
    QCOMPARE(f.messages().mid(1), done ? QStringList {sentAndSaved} : QStringList());
    QCOMPARE(f.fake.desktop.beeps, done ? 0 : 1);
    QCOMPARE(f.fake.desktop.pointerChanges, (QList<bool> {true, false}));
}

void ParameterDownloadTest::downloadStopsAtRejectionOrSilence_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply"); // empty: silence
    QTest::addColumn<bool>("vanish");
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("message");

    const QString sending = QStringLiteral("Sending Parameters to the transmitter");
    QTest::newRow("lower-case error stops")
        << QByteArray("RL700") << QByteArray("RL700\r\nerror\r\n>") << false
        << QByteArray("RH800\rRL700\r") << sending << aborted;
    QTest::newRow("ERROR elsewhere goes on")
        << QByteArray("RL700") << QByteArray("RL700\r\nERROR: none\r\nok\r\n>") << false
        << QByteArray("RH800\rRL700\rT0\r\rSAVE\rNOTEST\r") << sentAndSaved << sentAndSaved;
    QTest::newRow("rejected SAVE")
        << QByteArray("SAVE") << QByteArray("SAVE\r\nERROR\r\n>") << false
        << QByteArray("RH800\rRL700\rT0\r\rSAVE\r") << sending << aborted;
    QTest::newRow("time-out") << QByteArray("RL700") << QByteArray() << false
                              << QByteArray("RH800\rRL700\r") << notResponding << QString();
    QTest::newRow("port vanishes") << QByteArray("RL700") << QByteArray() << true
                                   << QByteArray("RH800\rRL700\r") << notResponding << QString();
}

void ParameterDownloadTest::downloadStopsAtRejectionOrSilence()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    QFETCH(bool, vanish);
    QFETCH(QByteArray, written);
    QFETCH(QString, status);
    QFETCH(QString, message);
    ConfigFixture f;
    f.script(command, reply);
    if (vanish) // the adapter is pulled while the transmitter works on the command
        f.transmitter.onCommand = [&](const QByteArray &received) {
            if (received == command)
                f.fake.clock.schedule(2, [&] { f.fake.port.vanish(); });
        };
    f.fake.dialogs.fileAnswers << writeParameterFile("RH800\r\nRL700\r\nT0\r\n");
    f.w().menuOpenParameterFile->trigger();

    QCOMPARE(f.fake.port.written, written);
    QCOMPARE(f.w().Status->text(), status);
    QCOMPARE(f.messages().mid(1), message.isEmpty() ? QStringList() : QStringList {message});
    if (message == aborted)
        QCOMPARE(f.fake.dialogs.shown.last().icon, MessageIcon::Critical);
    QVERIFY(!f.fake.desktop.busy);
}

void ParameterDownloadTest::cancelledDialogKeepsTheEarlierChoice()
{
    ConfigFixture f;
    f.w().menuOpenParameterFile->trigger();
    QCOMPARE(f.fake.dialogs.shown.size(), 1);

    const QString file = writeParameterFile("RH800\r\n");
    f.fake.dialogs.fileAnswers << file;
    f.fake.dialogs.messageAnswers << MessageResult::Cancel << MessageResult::Cancel;
    f.w().menuOpenParameterFile->trigger();
    // Cancel now: the dialog gives back the file chosen before.
    f.w().menuOpenParameterFile->trigger();
    QCOMPARE(f.fake.dialogs.shown.size(), 5);
    QCOMPARE(f.fake.dialogs.shown.last().title, file);
    QVERIFY(f.fake.port.written.isEmpty());
    QCOMPARE(f.fake.desktop.beeps, 0);
}

void ParameterDownloadTest::unreadableFileSendsNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing") << QStringLiteral("gone.par");
    QTest::newRow("a folder") << QStringLiteral(".");
}

void ParameterDownloadTest::unreadableFileSendsNothing()
{
    QFETCH(QString, name);
    ConfigFixture f;
    const QString file = QDir::current().absoluteFilePath(name);
    f.fake.dialogs.fileAnswers << file;
    f.w().menuOpenParameterFile->trigger();

    QCOMPARE(f.messages(), QStringList {"The parameter file cannot be read:\r" + file});
    QCOMPARE(f.fake.desktop.beeps, 1);
    QVERIFY(f.fake.port.written.isEmpty());
}

void ParameterDownloadTest::operationsRefuseToStart_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("calibrating");
    QTest::addColumn<QString>("message");

    for (const char *item :
         {"menuOpenParameterFile", "menuPrintTransmitterParameters", "menuRelayTriggerPoint"}) {
        QTest::addRow("%s while calibrating", item)
            << item << true << QStringLiteral("Not possible during calibration!");
        // The relay's own wording is older than the others'.
        QTest::addRow("%s, port closed", item)
            << item << false
            << (item[4] == 'R' ? QStringLiteral("Com Port is not open!")
                               : QStringLiteral("Com Port Not Open"));
    }
}

void ParameterDownloadTest::operationsRefuseToStart()
{
    QFETCH(QString, item);
    QFETCH(bool, calibrating);
    QFETCH(QString, message);
    ConfigFixture f;
    if (calibrating)
        f.w().SpanCalibrationRunning = true;
    else
        f.fake.port.close();
    f.fake.dialogs.fileAnswers << writeParameterFile("RH800\r\n");
    f.w().findChild<QAction *>(item)->trigger();

    QCOMPARE(f.messages(), QStringList {message});
    QCOMPARE(f.fake.dialogs.shown.size(), 1);
    QCOMPARE(f.fake.desktop.beeps, 1);
    QVERIFY(f.fake.port.written.isEmpty());
    QVERIFY(f.fake.printer.calls.isEmpty());
}

int main(int argc, char *argv[])
{
    return runTests<ParameterDownloadTest, RelayTriggerPointsTest, ParameterPrintoutTest>(argc,
                                                                                          argv);
}
