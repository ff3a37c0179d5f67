// The configuration operations: a parameter file sent line by line, the
// relay's trigger points, and the printed parameter sheet.

#include "golden.h"
#include "platform/qt_printer.h"
#include "window_fixture.h"

#include <QAction>
#include <QPrinterInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>

namespace {

// A linked window; the transmitter acknowledges whatever a test leaves
// unscripted, so that a test names only what matters.
struct ConfigFixture : LinkedWindowFixture {
    ConfigFixture() { startLinked(); }
    // One reading taken by the poll, then everything so far forgotten.
    void takeReading(double rx, double tx)
    {
        transmitter.setReading(rx, tx, 400, 400);
        poll();
        forget();
    }
    QStringList messages() const { return fake.dialogs.messageTexts(); }
};

const QString sentAndSaved = QStringLiteral("Parameters sent and saved into the transmitter");
const QString aborted = QStringLiteral("Error during sending the parameters!\rSending is aborted!");
const QString notResponding = QStringLiteral("Transmitter Is Not Responding!");

const QString tooClose
    = QStringLiteral("Relay ON level must be at least 10 ppm higher than OFF level");
const QString outOfRange
    = QStringLiteral("The relay levels must lie between -99999 and 999999 ppm.");
const QString saved = QStringLiteral("Relay Trigger Point set and saved");

// A transmitter with an ON level of 800 and an OFF level of 700.
struct RelayFixture : ConfigFixture {
    RelayFixture()
    {
        script("RH", ScriptedTransmitter::frame("RH", "Relay high = 800"));
        script("RL", ScriptedTransmitter::frame("RL", "Relay low = 700"));
    }
    void setLevels(const QStringList &answers)
    {
        fake.dialogs.inputAnswers.append(answers);
        w().menuRelayTriggerPoint->trigger();
    }
    QStringList offered() const
    {
        QStringList defaults;
        for (const ShownBox &box : fake.dialogs.shown)
            if (box.kind == ShownBox::Input)
                defaults << box.defaultText;
        return defaults;
    }
};

const QByteArray version = ScriptedTransmitter::frame("VER", "STD 2.15 (2019)");
const QByteArray listing = "PARAM\r\nT0 = 30000\r\nR0 = 20000\r\nRelay high = 800\r\n>";
const QString cannotRead = QStringLiteral("Can Not Read Parameters From Transmitter");
const QString typeAndSerial = QStringLiteral("GMT222 / A1234567");

struct PrintoutFixture : ConfigFixture {
    PrintoutFixture()
    {
        script("VER", version);
        script("PARAM", listing);
    }
    // Keeps the date and time offered (a null answer), types the type and
    // serial number.
    void print(const QStringList &answers = {{}, typeAndSerial})
    {
        for (const QString &answer : answers)
            fake.dialogs.inputAnswers << (answer.isNull() ? dateAndTime : answer);
        w().menuPrintTransmitterParameters->trigger();
    }
    const QString dateAndTime = QStringLiteral("Date 2026-12-06 Time 14:05");
};

} // namespace

class ConfigTest : public QObject {
    Q_OBJECT

private slots:
    void fileGoesOutAsItStands_data();
    void fileGoesOutAsItStands();
    void downloadStopsAtRejectionOrSilence_data();
    void downloadStopsAtRejectionOrSilence();
    void fileDialogKeepsItsChoiceAndUnreadableFilesSendNothing();
    void operationsRefuseToStart_data();
    void operationsRefuseToStart();
    void levelsAreCheckedAndSent_data();
    void levelsAreCheckedAndSent();
    void operationEndsWithoutAMessage_data();
    void operationEndsWithoutAMessage();
    void replyOfAnotherFormKeepsTheLevelOfferedBefore();
    void failureIsReported_data();
    void failureIsReported();
    void sheetIsPrinted_data();
    void sheetIsPrinted();
    void nothingIsPrinted_data();
    void nothingIsPrinted();
    void printerOutcomeIsReported_data();
    void printerOutcomeIsReported();
    void qtPrinterSavesAPdfThatReadsBack();
};

void ConfigTest::fileGoesOutAsItStands_data()
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

void ConfigTest::fileGoesOutAsItStands()
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

void ConfigTest::downloadStopsAtRejectionOrSilence_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply"); // empty: silence
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("message");

    const QString sending = QStringLiteral("Sending Parameters to the transmitter");
    QTest::newRow("lower-case error stops") << QByteArray("RL700") << QByteArray("RL700\r\nerror\r\n>")
                                            << QByteArray("RH800\rRL700\r") << sending << aborted;
    QTest::newRow("ERROR elsewhere goes on")
        << QByteArray("RL700") << QByteArray("RL700\r\nERROR: none\r\nok\r\n>")
        << QByteArray("RH800\rRL700\rT0\r\rSAVE\rNOTEST\r") << sentAndSaved << sentAndSaved;
    QTest::newRow("rejected SAVE") << QByteArray("SAVE") << QByteArray("SAVE\r\nERROR\r\n>")
                                   << QByteArray("RH800\rRL700\rT0\r\rSAVE\r") << sending << aborted;
}

void ConfigTest::downloadStopsAtRejectionOrSilence()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, written);
    QFETCH(QString, status);
    QFETCH(QString, message);
    ConfigFixture f;
    f.script(command, reply);
    f.fake.dialogs.fileAnswers << writeParameterFile("RH800\r\nRL700\r\nT0\r\n");
    f.w().menuOpenParameterFile->trigger();

    QCOMPARE(f.fake.port.written, written);
    QCOMPARE(f.w().Status->text(), status);
    QCOMPARE(f.messages().mid(1), message.isEmpty() ? QStringList() : QStringList {message});
    if (message == aborted)
        QCOMPARE(f.fake.dialogs.shown.last().icon, MessageIcon::Critical);
    QVERIFY(!f.fake.desktop.busy);
}

void ConfigTest::fileDialogKeepsItsChoiceAndUnreadableFilesSendNothing()
{
    ConfigFixture f;
    f.w().menuOpenParameterFile->trigger();
    const QString file = writeParameterFile("RH800\r\n");
    f.fake.dialogs.fileAnswers << file;
    f.fake.dialogs.messageAnswers << MessageResult::Cancel << MessageResult::Cancel;
    f.w().menuOpenParameterFile->trigger();
    // Cancel now: the dialog gives back the file chosen before.
    f.w().menuOpenParameterFile->trigger();
    QCOMPARE(f.fake.dialogs.shown.size(), 5);
    QCOMPARE(f.fake.dialogs.shown.last().title, file);
    QCOMPARE(f.fake.desktop.beeps, 0);
    QFile::remove(file);
    f.w().menuOpenParameterFile->trigger();
    QCOMPARE(f.messages().last(), "The parameter file cannot be read:\r" + file);
    QCOMPARE(f.fake.desktop.beeps, 1);
    QVERIFY(f.fake.port.written.isEmpty());
}

void ConfigTest::operationsRefuseToStart_data()
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

void ConfigTest::operationsRefuseToStart()
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

void ConfigTest::levelsAreCheckedAndSent_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("offered");
    QTest::addColumn<QString>("refusal"); // of the first pair, if asked again
    QTest::addColumn<QString>("on");
    QTest::addColumn<QString>("off");

    const QStringList levels {"800", "700"};
    const auto row = [&](const char *name, const QStringList &answers, const QStringList &offered,
                         const QString &refusal, const char *on, const char *off) {
        QTest::newRow(name) << answers << offered << refusal << QString(on) << QString(off);
    };
    row("510 above 500 passes", {"510", "500 ppm"}, levels, "", "510", "500");
    row("509.9 above 500 is asked again", {"509.9", "500", "520", "500"},
        levels + QStringList {"509.9", "500"}, tooClose, "520", "500");
    row("exactly 10 apart with decimals", {"510.1", "500.1"}, levels, "", "510", "500");
    row("halves away from zero, negative OFF", {"500.5", "-499.5"}, levels, "", "501", "-500");
    row("a level no field holds is asked again", {"1e300", "500", "800", "500"},
        levels + QStringList {"1e+300", "500"}, outOfRange, "800", "500");
}

void ConfigTest::levelsAreCheckedAndSent()
{
    QFETCH(QStringList, answers);
    QFETCH(QStringList, offered);
    QFETCH(QString, refusal);
    QFETCH(QString, on);
    QFETCH(QString, off);
    RelayFixture f;
    f.setLevels(answers);

    QCOMPARE(f.offered(), offered);
    QCOMPARE(f.transmitter.commands,
             (QList<QByteArray> {"RH", "RL", "RH" + on.toLatin1(), "RL" + off.toLatin1(), "Save"}));
    QStringList messages {
        QStringLiteral("Relay ON Level:  %1\rRelay OFF Level: %2\r\rPlease Confirm").arg(on, off),
        saved};
    if (!refusal.isEmpty())
        messages.prepend(refusal);
    QCOMPARE(f.messages(), messages);
    QCOMPARE(f.fake.dialogs.shown[f.fake.dialogs.shown.size() - 2].title, u"Realy Settings");
    QCOMPARE(f.w().Status->text(), saved);
    QCOMPARE(statusColour(f.w().Status), int(StatusColour::Black));
    QCOMPARE(f.fake.desktop.pointerChanges, (QList<bool> {true, false}));
}

void ConfigTest::operationEndsWithoutAMessage_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("ON letters") << QStringList {"ppm"} << true;
    QTest::newRow("OFF 0") << QStringList {"600", "0.0"} << true;
    QTest::newRow("confirmation cancelled") << QStringList {"600", "500"} << false;
}

void ConfigTest::operationEndsWithoutAMessage()
{
    QFETCH(QStringList, answers);
    QFETCH(bool, confirmed);
    RelayFixture f;
    f.fake.dialogs.messageAnswers << (confirmed ? MessageResult::Ok : MessageResult::Cancel);
    f.setLevels(answers);

    QCOMPARE(f.transmitter.commands, (QList<QByteArray> {"RH", "RL"}));
    QCOMPARE(f.messages().size(), confirmed ? 0 : 1);
    QCOMPARE(f.fake.desktop.beeps, 0);
}

void ConfigTest::replyOfAnotherFormKeepsTheLevelOfferedBefore()
{
    RelayFixture f;
    f.script("RL", ScriptedTransmitter::frame("RL", "ERROR"));
    f.setLevels({"900", "850"});
    f.script("RH", ScriptedTransmitter::frame("RH", "Relay  high = 800"));
    f.setLevels({"", ""});
    QCOMPARE(f.offered(), (QStringList {"800", "", "900"}));
}

void ConfigTest::failureIsReported_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply"); // empty: silence
    QTest::addColumn<QList<QByteArray>>("commands");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("status");

    const QString notResponding
        = QStringLiteral("Transmitter Is Not Responding, Check Com And Cables");
    QTest::newRow("RH silent") << QByteArray("RH") << QByteArray() << QList<QByteArray> {"RH"}
                               << notResponding << "Com Port is Open";
    QTest::newRow("Save silent") << QByteArray("Save") << QByteArray()
                                 << QList<QByteArray> {"RH", "RL", "RH710", "RL-50", "Save"}
                                 << notResponding << "Saving Relay Settings";
    QTest::newRow("level rejected")
        << QByteArray("RL-50") << ScriptedTransmitter::frame("RL-50", "ERROR")
        << QList<QByteArray> {"RH", "RL", "RH710", "RL-50"}
        << "The transmitter rejected the relay settings!\rThey have not been saved."
        << "Com Port is Open";
}

void ConfigTest::failureIsReported()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    QFETCH(QList<QByteArray>, commands);
    QFETCH(QString, message);
    QFETCH(QString, status);
    RelayFixture f;
    f.script(command, reply);
    f.setLevels({"710", "-50"});

    QCOMPARE(f.transmitter.commands, commands);
    QCOMPARE(f.messages().last(), message);
    QCOMPARE(f.fake.desktop.beeps, 1);
    QVERIFY(!f.fake.desktop.busy);
    QCOMPARE(f.w().Status->text(), status);
}

void ConfigTest::sheetIsPrinted_data()
{
    QTest::addColumn<QByteArray>("versionReply");
    QTest::addColumn<QByteArray>("listingReply");
    QTest::addColumn<bool>("reading");
    QTest::addColumn<QString>("golden");

    QTest::newRow("normal listing") << version << listing << true << "sheet_normal.txt";
    QTest::newRow("last line without line end")
        << version << QByteArray("PARAM\r\nT0 = 30000\r\nR0 = 20000>") << true
        << "sheet_no_final_line_end.txt";
    QTest::newRow("empty listing")
        << version << QByteArray("PARAM\r\n>") << true << "sheet_empty_listing.txt";
    QTest::newRow("version not STD") << ScriptedTransmitter::frame("VER", "ABC 2.15") << listing
                                     << true << "sheet_unknown_version.txt";
    QTest::newRow("before any valid reading")
        << version << listing << false << "sheet_before_reading.txt";
}

void ConfigTest::sheetIsPrinted()
{
    QFETCH(QByteArray, versionReply);
    QFETCH(QByteArray, listingReply);
    QFETCH(bool, reading);
    QFETCH(QString, golden);
    PrintoutFixture f;
    f.script("VER", versionReply);
    f.script("PARAM", listingReply);
    if (reading)
        f.takeReading(21000, 3050.5);
    f.print();

    COMPARE_GOLDEN(f.fake.printer.sheet().toLatin1(), golden);
    QCOMPARE(f.fake.dialogs.shown[0].defaultText, f.dateAndTime);
    QCOMPARE(f.fake.dialogs.shown[1].defaultText, QString());
    QCOMPARE(f.transmitter.commands, (QList<QByteArray> {"VER", "PARAM"}));
    QCOMPARE(f.w().Status->text(), QStringLiteral("Printing Completed"));
    const bool complete = listingReply.endsWith("\r\n>") && listingReply.size() > 9;
    QCOMPARE(f.messages(), complete ? QStringList() : QStringList {cannotRead});
    QCOMPARE(f.fake.desktop.beeps, complete ? 0 : 1);
    QCOMPARE(f.fake.desktop.pointerChanges, (QList<bool> {true, false}));
}

void ConfigTest::nothingIsPrinted_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply"); // empty: silence
    QTest::addColumn<QString>("message");

    const QString notResponding
        = QStringLiteral("Transmitter Not Responding, Check Com And Cables");
    QTest::newRow("type and serial cancelled")
        << QStringList {QString(), ""} << QByteArray() << QByteArray() << QString();
    QTest::newRow("PARAM silent") << QStringList {QString(), typeAndSerial} << QByteArray("PARAM")
                                  << QByteArray() << notResponding;
    QTest::newRow("PARAM without its echo")
        << QStringList {QString(), typeAndSerial} << QByteArray("PARAM")
        << QByteArray("param\r\nT0 = 1\r\n>") << cannotRead;
}

void ConfigTest::nothingIsPrinted()
{
    QFETCH(QStringList, answers);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    QFETCH(QString, message);
    PrintoutFixture f;
    f.print();
    f.forget();
    f.fake.printer.calls.clear();
    if (!command.isEmpty())
        f.script(command, reply);
    f.print(answers);

    QVERIFY(f.fake.printer.calls.isEmpty());
    QCOMPARE(f.messages(), message.isEmpty() ? QStringList() : QStringList {message});
    QCOMPARE(f.fake.desktop.beeps, message.isEmpty() ? 0 : 1);
    QVERIFY(!f.fake.desktop.busy);
    // The type and serial number of the sheet before are not offered again.
    QCOMPARE(f.fake.dialogs.shown.value(1).defaultText, QString());
    if (message.isEmpty()) {
        QVERIFY(f.transmitter.commands.isEmpty());
        QVERIFY(f.w().TransmitterTypeAndSerial.isEmpty());
    } else {
        QCOMPARE(f.w().Status->text(), QStringLiteral("Printing"));
    }
}

void ConfigTest::printerOutcomeIsReported_data()
{
    QTest::addColumn<PrintOutcome::Result>("result");
    QTest::addColumn<QString>("status");
    QTest::addColumn<StatusColour>("colour");
    QTest::addColumn<QString>("message"); // the outcome's detail is "/p.pdf"

    using Result = PrintOutcome::Result;
    QTest::newRow("printed") << Result::Printed << "Printing Completed" << StatusColour::Blue << "";
    QTest::newRow("saved") << Result::Saved << "Printing Completed" << StatusColour::Blue
                           << "The parameter sheet has been saved in\r/p.pdf";
    QTest::newRow("cancelled") << Result::Cancelled << "Printing Cancelled" << StatusColour::Black
                               << "";
    QTest::newRow("failed") << Result::Failed << "Printing Failed" << StatusColour::Red << "/p.pdf";
}

void ConfigTest::printerOutcomeIsReported()
{
    QFETCH(PrintOutcome::Result, result);
    QFETCH(QString, status);
    QFETCH(StatusColour, colour);
    QFETCH(QString, message);
    PrintoutFixture f;
    f.fake.printer.outcome = {result, QStringLiteral("/p.pdf")};
    f.print();

    QCOMPARE(f.w().Status->text(), status);
    QCOMPARE(statusColour(f.w().Status), int(colour));
    QCOMPARE(f.messages(), message.isEmpty() ? QStringList() : QStringList {message});
    QCOMPARE(f.fake.desktop.beeps, result == PrintOutcome::Result::Failed ? 1 : 0);
    QVERIFY(!f.fake.desktop.busy);
}

void ConfigTest::qtPrinterSavesAPdfThatReadsBack()
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (!QPrinterInfo::defaultPrinter().isNull() || pdftotext.isEmpty())
        QSKIP("a printer is installed (the sheet would go to paper), or pdftotext is not");
    PrintoutFixture f;
    QtPrinter printer(f.fake.dialogs, f.fake.clock);
    f.window = std::make_unique<MainWindow>(
        Platform {f.fake.port, f.fake.dialogs, f.fake.desktop, f.fake.clock, printer});
    const auto closeWindow = qScopeGuard([&] { f.window.reset(); });
    f.takeReading(21000, 3050.5);
    const QString pdf = QDir::current().absoluteFilePath(QStringLiteral("sheet.pdf"));
    f.fake.dialogs.saveAnswers << pdf << QDir::current().absoluteFilePath("no/sheet.pdf");
    f.print();

    QVERIFY(f.fake.dialogs.shown[2].defaultText.endsWith(u"/parameters-2026-12-06.pdf"));
    QProcess reader;
    reader.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(reader.waitForFinished(10000));
    const QString text = QString::fromUtf8(reader.readAllStandardOutput()).simplified();
    QCOMPARE(text,
             "Transmitter Parameters " + f.dateAndTime
                 + " Transmitter Type and Serial Number: " + typeAndSerial
                 + " Transmitter SW-version: STD 2.15 Last RefX = 21000 Last CO2X = 3050.5"
                   " T0 = 30000 R0 = 20000 Relay high = 800");
    // A file that cannot be made is a failure, not a sheet.
    f.print();
    QCOMPARE(f.w().Status->text(), QStringLiteral("Printing Failed"));
}

QTEST_MAIN(ConfigTest)
#include "tst_config.moc"
