// The parameter sheet: its lines, columns and fonts, the replies it is made
// from, and what becomes of it at the printer.

#include "tst_config.h"

#include "platform/qt_printer.h"

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
    QCOMPARE(f.fake.dialogs.shown[0].defaultText, f.dateAndTime);
    QCOMPARE(f.fake.dialogs.shown[1].defaultText, QString());
    QCOMPARE(f.transmitter.commands, (QList<QByteArray> {"VER", "PARAM"}));
    QCOMPARE(f.w().Status->text(), QStringLiteral("Printing Completed"));
    const bool complete = listingReply.endsWith("\r\n>") && listingReply.size() > 9;
    QCOMPARE(f.messages(), complete ? QStringList() : QStringList {cannotRead});
    QCOMPARE(f.fake.desktop.beeps, complete ? 0 : 1);
    QCOMPARE(f.fake.desktop.pointerChanges, (QList<bool> {true, false}));
}

void ParameterPrintoutTest::nothingIsPrinted_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply"); // empty: silence
    QTest::addColumn<QString>("message");

    const QString notResponding
        = QStringLiteral("Transmitter Not Responding, Check Com And Cables");
    QTest::newRow("date and time cancelled")
        << QStringList {""} << QByteArray() << QByteArray() << QString();
    QTest::newRow("type and serial cancelled")
        << QStringList {QString(), ""} << QByteArray() << QByteArray() << QString();
    QTest::newRow("VER silent") << QStringList {QString(), typeAndSerial} << QByteArray("VER")
                                << QByteArray() << notResponding;
    QTest::newRow("PARAM silent") << QStringList {QString(), typeAndSerial} << QByteArray("PARAM")
                                  << QByteArray() << notResponding;
    QTest::newRow("PARAM without its echo")
        << QStringList {QString(), typeAndSerial} << QByteArray("PARAM")
        << QByteArray("param\r\nT0 = 1\r\n>") << cannotRead;
}

// After a sheet has been printed.
void ParameterPrintoutTest::nothingIsPrinted()
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

void ParameterPrintoutTest::printerOutcomeIsReported_data()
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

void ParameterPrintoutTest::printerOutcomeIsReported()
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

// The Qt printer on this machine, which has no printer: the sheet is saved as
// a PDF and its text reads back in order.
void ParameterPrintoutTest::qtPrinterSavesAPdfThatReadsBack()
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
