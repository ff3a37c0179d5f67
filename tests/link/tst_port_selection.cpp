#include "tst_command_set.h"
#include "tst_qt_serial_port.h"
#include "tst_reply_wait.h"

#include "test_main.h"
#include "window_fixture.h"

#include <QAction>

class PortSelectionTest : public QObject {
    Q_OBJECT

private slots:
    void choosingAPortWritesOneBackspaceAndTheSettingsFile();
    void choosingTheOpenPortAgainReopensIt();
    void choosingAMissingPortClosesTheOpenOne();
    void closingThePortDeletesTheSettingsFile();
    void portOperationsAreRefusedDuringCalibration_data();
    void portOperationsAreRefusedDuringCalibration();
    void unwritableSettingsFileIsReportedWithoutBeep();
    void refusedClickKeepsCheckMarks();
    void vanishedDeviceShowsThePortClosed();
};

void PortSelectionTest::choosingAPortWritesOneBackspaceAndTheSettingsFile()
{
    WindowFixture f;
    f.start();
    f.w().menuCom[3]->trigger();
    QCOMPARE(f.fake.port.written, QByteArray("\b"));
    QCOMPARE(f.fake.port.commPort(), 3);
    QCOMPARE(readFile(QStringLiteral("kestrin.ini")), QByteArray("COM3:9600,N,8,1"));
    QVERIFY(f.w().menuCom[3]->isChecked());
    QVERIFY(f.w().menuCloseComPort->isEnabled());
    QCOMPARE(f.w().Status->text(), QStringLiteral("Com Port is Open"));
    QCOMPARE(statusColour(f.w().Status), 0);
    QVERIFY(f.fake.dialogs.shown.isEmpty());

    // Switching ports moves the check mark and rewrites the file.
    f.w().menuCom[1]->trigger();
    QVERIFY(!f.w().menuCom[3]->isChecked());
    QVERIFY(f.w().menuCom[1]->isChecked());
    QCOMPARE(readFile(QStringLiteral("kestrin.ini")), QByteArray("COM1:9600,N,8,1"));
    QCOMPARE(f.fake.port.written, QByteArray("\b\b"));
}

void PortSelectionTest::choosingTheOpenPortAgainReopensIt()
{
    WindowFixture f;
    writeFile(QStringLiteral("kestrin.ini"), "COM2:1200,o,8,2");
    f.start();
    const int closesBefore = f.fake.port.closes;
    f.w().menuCom[2]->trigger();
    QCOMPARE(f.fake.port.closes, closesBefore + 1);
    QVERIFY(f.fake.port.isOpen());
    QVERIFY(f.w().menuCom[2]->isChecked());
    QCOMPARE(f.fake.port.written, QByteArray("\x03\b"));
    QCOMPARE(readFile(QStringLiteral("kestrin.ini")), QByteArray("COM2:1200,O,8,2"));
}

void PortSelectionTest::choosingAMissingPortClosesTheOpenOne()
{
    WindowFixture f;
    writeFile(QStringLiteral("kestrin.ini"), "COM1:9600,N,8,1");
    f.start();
    f.fake.port.existing.erase(4);
    f.w().menuCom[4]->trigger();
    QCOMPARE(f.fake.dialogs.messageTexts(), QStringList {"The Com Port is not available"});
    QCOMPARE(f.fake.desktop.beeps, 1);
    QVERIFY(!f.fake.port.isOpen());
    for (int n = 1; n <= 4; ++n)
        QVERIFY(!f.w().menuCom[size_t(n)]->isChecked());
    // The close item, the status line and the file stay as they were.
    QVERIFY(f.w().menuCloseComPort->isEnabled());
    QCOMPARE(f.w().Status->text(), QStringLiteral("Com Port is Open"));
    QCOMPARE(readFile(QStringLiteral("kestrin.ini")), QByteArray("COM1:9600,N,8,1"));
}

void PortSelectionTest::closingThePortDeletesTheSettingsFile()
{
    WindowFixture f;
    writeFile(QStringLiteral("kestrin.ini"), "COM1:9600,N,8,1");
    f.start();
    f.w().menuCloseComPort->trigger();
    QVERIFY(!f.fake.port.isOpen());
    QVERIFY(!QFile::exists(QStringLiteral("kestrin.ini")));
    QVERIFY(!f.w().menuCloseComPort->isEnabled());
    QVERIFY(!f.w().menuCom[1]->isChecked());
    QCOMPARE(f.w().ppmDisplay->text(), QStringLiteral("????"));
    QCOMPARE(f.w().Status->text(), QStringLiteral("Com Port is Closed"));
    QCOMPARE(statusColour(f.w().Status), 255);

    // The next start finds no file and opens no port.
    f.window.reset();
    f.start();
    QCOMPARE(f.w().Status->text(), QStringLiteral("Com Port Closed"));
    QVERIFY(!f.fake.port.isOpen());
}

void PortSelectionTest::portOperationsAreRefusedDuringCalibration_data()
{
    QTest::addColumn<bool>("zeroRun");
    QTest::addColumn<bool>("closeItem");
    QTest::newRow("zero run, Com item") << true << false;
    QTest::newRow("span run, Com item") << false << false;
    QTest::newRow("zero run, close") << true << true;
    QTest::newRow("span run, close") << false << true;
}

void PortSelectionTest::portOperationsAreRefusedDuringCalibration()
{
    QFETCH(bool, zeroRun);
    QFETCH(bool, closeItem);
    WindowFixture f;
    writeFile(QStringLiteral("kestrin.ini"), "COM1:9600,N,8,1");
    f.start();
    (zeroRun ? f.w().ZeroCalibrationRunning : f.w().SpanCalibrationRunning) = true;
    const QByteArray wireBefore = f.fake.port.written;
    (closeItem ? f.w().menuCloseComPort : f.w().menuCom[2])->trigger();
    QCOMPARE(f.fake.dialogs.messageTexts(), QStringList {"Not possible during calibration!"});
    QCOMPARE(f.fake.desktop.beeps, 1);
    QVERIFY(f.fake.port.isOpen());
    QCOMPARE(f.fake.port.commPort(), 1);
    QCOMPARE(f.fake.port.written, wireBefore);
    QVERIFY(f.w().menuCom[1]->isChecked());
    QVERIFY(!f.w().menuCom[2]->isChecked());
    QCOMPARE(readFile(QStringLiteral("kestrin.ini")), QByteArray("COM1:9600,N,8,1"));
}

void PortSelectionTest::unwritableSettingsFileIsReportedWithoutBeep()
{
    WindowFixture f;
    f.start();
    QVERIFY(QDir().mkdir(QStringLiteral("kestrin.ini")));
    f.w().menuCom[2]->trigger();
    QCOMPARE(f.fake.dialogs.messageTexts(), QStringList {"Failed to save com settings"});
    QCOMPARE(f.fake.desktop.beeps, 0);
    // The port stays open and checked.
    QVERIFY(f.fake.port.isOpen());
    QVERIFY(f.w().menuCom[2]->isChecked());
}

void PortSelectionTest::refusedClickKeepsCheckMarks()
{
    // Clicking the checked item of the open port during a run must not take
    // its check mark away, nor may a click on another item add one.
    WindowFixture f;
    writeFile(QStringLiteral("kestrin.ini"), "COM1:9600,N,8,1");
    f.start();
    f.w().ZeroCalibrationRunning = true;
    f.w().menuCom[1]->trigger();
    QVERIFY(f.w().menuCom[1]->isChecked());
    f.w().menuCom[3]->trigger();
    QVERIFY(!f.w().menuCom[3]->isChecked());
}

void PortSelectionTest::vanishedDeviceShowsThePortClosed()
{
    WindowFixture f;
    writeFile(QStringLiteral("kestrin.ini"), "COM1:9600,N,8,1");
    f.start();
    f.fake.port.vanish();
    QVERIFY(!f.w().menuCom[1]->isChecked());
    QVERIFY(!f.w().menuCloseComPort->isEnabled());
    QCOMPARE(f.w().Status->text(), QStringLiteral("Com Port is Closed"));
    QCOMPARE(statusColour(f.w().Status), 255);
    QCOMPARE(f.w().ppmDisplay->text(), QStringLiteral("????"));
    QCOMPARE(f.fake.desktop.beeps, 1);
    // The technician did not close the port: the next start tries it again.
    QCOMPARE(readFile(QStringLiteral("kestrin.ini")), QByteArray("COM1:9600,N,8,1"));
    // Once the device is back, choosing the port works again.
    f.w().menuCom[1]->trigger();
    QVERIFY(f.fake.port.isOpen());
    QVERIFY(f.w().menuCom[1]->isChecked());
}

int main(int argc, char *argv[])
{
    return runTests<PortSelectionTest, QtSerialPortTest, ReplyWaitTest, CommandSetTest>(argc, argv);
}

#include "tst_port_selection.moc"
