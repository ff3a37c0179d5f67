// The parameter sheet: its lines, columns and fonts, the replies it is made
// from, and what becomes of it at the printer.

#include "tst_config.h"

#include "config_fixture.h"
#include "platform/qt_printer.h"

#include <QAction>
#include <QLabel>
#include <QPrinterInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>

namespace {

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
    // Keeps the date and time offered, types the type and serial number.
    void print(const QStringList &answers = {{}, typeAndSerial})
    {
        for (const QString &answer : answers)
            fake.dialogs.inputAnswers << (answer.isNull() ? dateAndTime : answer);
        w().menuPrintTransmitterParameters->trigger();
    }
    const QString dateAndTime = QStringLiteral("Date 2026-12-06 Time 14:05");
};

} // namespace

void ParameterPrintoutTest::sheetIsPrinted_data()
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

void ParameterPrintoutTest::sheetIsPrinted()
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
    const QList<ShownBox> &shown = f.fake.dialogs.shown;
    QCOMPARE(shown[0].text, QStringLiteral("Confirm Date and Time"));
    QCOMPARE(shown[0].title, QStringLiteral("Date and Time"));
    QCOMPARE(shown[0].defaultText, f.dateAndTime);
    QCOMPARE(shown[1].text, QStringLiteral("Enter Transmitter Type and Serial Number"));
    QCOMPARE(shown[1].title, QStringLiteral("Transmitter Type and..."));
    QCOMPARE(shown[1].defaultText, QString());
    QCOMPARE(f.transmitter.commands, (QList<QByteArray> {"VER", "PARAM"}));
    QCOMPARE(f.w().Status->text(), QStringLiteral("Printing Completed"));
    QCOMPARE(statusColour(f.w().Status), int(StatusColour::Blue));
    const bool complete = listingReply.endsWith("\r\n>") && listingReply.size() > 9;
    QCOMPARE(f.messages(), complete ? QStringList() : QStringList {cannotRead});
    QCOMPARE(f.fake.desktop.beeps, complete ? 0 : 1);
    QCOMPARE(f.fake.desktop.pointerChanges, (QList<bool> {true, false}));
}

void ParameterPrintoutTest::cancelledBoxPrintsNothing_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::newRow("date and time") << QStringList {""};
    QTest::newRow("type and serial") << QStringList {QString(), ""};
}

void ParameterPrintoutTest::cancelledBoxPrintsNothing()
{
    QFETCH(QStringList, answers);
    PrintoutFixture f;
    f.print();
    f.fake.printer.calls.clear();
    f.transmitter.commands.clear();
    f.fake.dialogs.shown.clear();
    f.print(answers);

    QVERIFY(f.fake.printer.calls.isEmpty());
    QVERIFY(f.transmitter.commands.isEmpty());
    QVERIFY(f.messages().isEmpty());
    // The type and serial number of the sheet before are not offered again.
    QVERIFY(f.w().TransmitterTypeAndSerial.isEmpty());
    if (answers.size() == 2)
        QCOMPARE(f.fake.dialogs.shown[1].defaultText, QString());
}

void ParameterPrintoutTest::unansweredOrUnreadableListingPrintsNothing_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply"); // empty: silence
    QTest::addColumn<QString>("message");

    const QString notResponding
        = QStringLiteral("Transmitter Not Responding, Check Com And Cables");
    QTest::newRow("VER silent") << QByteArray("VER") << QByteArray() << notResponding;
    QTest::newRow("PARAM silent") << QByteArray("PARAM") << QByteArray() << notResponding;
    QTest::newRow("PARAM without its echo")
        << QByteArray("PARAM") << QByteArray("param\r\nT0 = 1\r\n>") << cannotRead;
}

void ParameterPrintoutTest::unansweredOrUnreadableListingPrintsNothing()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    QFETCH(QString, message);
    PrintoutFixture f;
    f.script(command, reply);
    f.print();

    QVERIFY(f.fake.printer.calls.isEmpty());
    QCOMPARE(f.messages(), QStringList {message});
    QCOMPARE(f.fake.desktop.beeps, 1);
    QCOMPARE(f.w().Status->text(), QStringLiteral("Printing"));
    QVERIFY(!f.fake.desktop.busy);
}

void ParameterPrintoutTest::printerOutcomeIsReported_data()
{
    QTest::addColumn<PrintOutcome::Result>("result");
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("colour");
    QTest::addColumn<QStringList>("messages");

    using Result = PrintOutcome::Result;
    const int blue = int(StatusColour::Blue);
    QTest::newRow("printed") << Result::Printed << "Office"
                             << "Printing Completed" << blue << QStringList();
    QTest::newRow("saved") << Result::Saved << "/home/tech/p.pdf"
                           << "Printing Completed" << blue
                           << QStringList {
                                  "The parameter sheet has been saved in\r/home/tech/p.pdf"};
    QTest::newRow("cancelled") << Result::Cancelled << ""
                               << "Printing Cancelled" << int(StatusColour::Black) << QStringList();
    QTest::newRow("failed") << Result::Failed << "The file /p.pdf could not be written."
                            << "Printing Failed" << int(StatusColour::Red)
                            << QStringList {"The file /p.pdf could not be written."};
}

void ParameterPrintoutTest::printerOutcomeIsReported()
{
    QFETCH(PrintOutcome::Result, result);
    QFETCH(QString, detail);
    QFETCH(QString, status);
    QFETCH(int, colour);
    QFETCH(QStringList, messages);
    PrintoutFixture f;
    f.fake.printer.outcome = {result, detail};
    f.print();

    QCOMPARE(f.w().Status->text(), status);
    QCOMPARE(statusColour(f.w().Status), colour);
    QCOMPARE(f.messages(), messages);
    QCOMPARE(f.fake.desktop.beeps, result == PrintOutcome::Result::Failed ? 1 : 0);
    QVERIFY(!f.fake.desktop.busy);
}

// The Qt printer on this machine, which has no printer: the sheet is saved as
// a PDF and its text reads back in order.
void ParameterPrintoutTest::qtPrinterSavesAPdfThatReadsBack()
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        QSKIP("a printer is installed: the sheet would go to paper");
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext is not installed");

    PrintoutFixture f;
    QtPrinter printer(f.fake.dialogs, f.fake.clock);
    f.window = std::make_unique<MainWindow>(
        Platform {f.fake.port, f.fake.dialogs, f.fake.desktop, f.fake.clock, printer});
    const auto closeWindow = qScopeGuard([&] { f.window.reset(); });
    f.takeReading(21000, 3050.5);
    const QString pdf = QDir::current().absoluteFilePath(QStringLiteral("sheet.pdf"));
    f.fake.dialogs.saveAnswers << pdf;
    f.print();

    QVERIFY(f.fake.dialogs.shown[2].defaultText.endsWith(u"/parameters-2026-12-06.pdf"));
    QCOMPARE(f.messages(), QStringList {"The parameter sheet has been saved in\r" + pdf});
    QProcess reader;
    reader.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(reader.waitForFinished(10000));
    QStringList lines;
    for (const QString &line : QString::fromUtf8(reader.readAllStandardOutput()).split(u'\n'))
        if (!line.trimmed().isEmpty())
            lines << line.simplified();
    QCOMPARE(lines,
             (QStringList {"Transmitter Parameters", f.dateAndTime,
                           "Transmitter Type and Serial Number: " + typeAndSerial,
                           "Transmitter SW-version: STD 2.15", "Last RefX = 21000",
                           "Last CO2X = 3050.5", "T0 = 30000", "R0 = 20000", "Relay high = 800"}));

    // A file that cannot be made is a failure, not a sheet.
    f.fake.dialogs.saveAnswers << QDir::current().absoluteFilePath(QStringLiteral("no/sheet.pdf"));
    printer.beginDocument();
    printer.printLine(1, QStringLiteral("x"));
    QCOMPARE(printer.endDocument().result, PrintOutcome::Result::Failed);
}
