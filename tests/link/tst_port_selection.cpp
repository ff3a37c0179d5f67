// Choosing, closing and losing the serial port from the window, and the real
// Qt serial port underneath on a pseudo-terminal.

#include "platform/qt_serial_port.h"
#include "pseudo_terminal.h"
#include "window_fixture.h"

#include <QAction>
#include <QSignalSpy>
#include <QTest>

class PortSelectionTest : public QObject {
    Q_OBJECT

private slots:
    void choosingAPortWritesOneBackspaceAndTheSettingsFile();
    void choosingAMissingPortClosesTheOpenOne();
    void closingThePortDeletesTheSettingsFile();
    void portOperationsAreRefusedDuringCalibration_data();
    void portOperationsAreRefusedDuringCalibration();
    void settingsTextsAreCheckedLikeTheSerialService_data();
    void settingsTextsAreCheckedLikeTheSerialService();
    void portNumberNamesTheConfiguredDevice();
    void realPortOnAPseudoTerminal();
};

void PortSelectionTest::choosingAPortWritesOneBackspaceAndTheSettingsFile()
{
    WindowFixture f;
    f.start();
    MainWindow &w = f.w();
    // Choosing the open port again closes and reopens it.
    for (int port : {3, 1, 1}) {
        w.menuCom[size_t(port)]->trigger();
        QCOMPARE(readFile(QStringLiteral("kestrin.ini")),
                 QStringLiteral("COM%1:9600,N,8,1").arg(port).toLatin1());
        for (int n = 1; n <= 4; ++n)
            QCOMPARE(w.menuCom[size_t(n)]->isChecked(), n == port);
    }
    QCOMPARE(f.fake.port.written, QByteArray("\b\b\b"));
    QCOMPARE(f.fake.port.opens.mid(4), (QList<int> {3, 1, 1}));
    QCOMPARE(f.fake.port.closes, 4 + 2);
    QVERIFY(w.menuCloseComPort->isEnabled());
    QCOMPARE(w.Status->text(), QStringLiteral("Com Port is Open"));
    QCOMPARE(statusColour(w.Status), 0);
    QVERIFY(f.fake.dialogs.shown.isEmpty());
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
}

void PortSelectionTest::portOperationsAreRefusedDuringCalibration_data()
{
    QTest::addColumn<bool>("zeroRun");
    QTest::addColumn<int>("item"); // 0: Close Com Port
    QTest::newRow("zero run, another port") << true << 2;
    QTest::newRow("span run, another port") << false << 2;
    // The click must not take the check mark away either.
    QTest::newRow("zero run, the open port") << true << 1;
    QTest::newRow("zero run, close") << true << 0;
    QTest::newRow("span run, close") << false << 0;
}

void PortSelectionTest::portOperationsAreRefusedDuringCalibration()
{
    QFETCH(bool, zeroRun);
    QFETCH(int, item);
    WindowFixture f;
    writeFile(QStringLiteral("kestrin.ini"), "COM1:9600,N,8,1");
    f.start();
    MainWindow &w = f.w();
    (zeroRun ? w.ZeroCalibrationRunning : w.SpanCalibrationRunning) = true;
    (item ? w.menuCom[size_t(item)] : w.menuCloseComPort)->trigger();
    QCOMPARE(f.fake.dialogs.messageTexts(), QStringList {"Not possible during calibration!"});
    QCOMPARE(f.fake.desktop.beeps, 1);
    QVERIFY(f.fake.port.isOpen());
    QCOMPARE(f.fake.port.commPort(), 1);
    QCOMPARE(f.fake.port.written, QByteArray("\x03"));
    for (int n = 1; n <= 4; ++n)
        QCOMPARE(w.menuCom[size_t(n)]->isChecked(), n == 1);
    QCOMPARE(readFile(QStringLiteral("kestrin.ini")), QByteArray("COM1:9600,N,8,1"));
}

void PortSelectionTest::settingsTextsAreCheckedLikeTheSerialService_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("even, 7 bits, 2 stop") << "19200,E,7,2" << true;
    QTest::newRow("one and a half stop") << "1200,o,5,1.5" << true;
    QTest::newRow("mark and space") << "4800,m,8,1" << true;
    QTest::newRow("line end after") << "9600,N,8,1\r\n" << false;
    QTest::newRow("blank inside") << "9600, N,8,1" << false;
    QTest::newRow("odd baud") << "9601,N,8,1" << false;
    QTest::newRow("unknown parity") << "9600,X,8,1" << false;
    QTest::newRow("nine data bits") << "9600,N,9,1" << false;
    QTest::newRow("three stop bits") << "9600,N,8,3" << false;
    QTest::newRow("missing part") << "9600,N,8" << false;
    QTest::newRow("empty") << "" << false;
}

void PortSelectionTest::settingsTextsAreCheckedLikeTheSerialService()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QtSerialPort port;
    QCOMPARE(port.settings(), QStringLiteral("9600,n,8,1"));
    QCOMPARE(port.setSettings(text), accepted);
    QCOMPARE(port.settings(), accepted ? text : QStringLiteral("9600,n,8,1"));
}

void PortSelectionTest::portNumberNamesTheConfiguredDevice()
{
    qputenv("KESTRIN_COM2", "/dev/ttyUSB7");
    QCOMPARE(QtSerialPort::devicePath(2), QStringLiteral("/dev/ttyUSB7"));
    qunsetenv("KESTRIN_COM2");
    QCOMPARE(QtSerialPort::devicePath(2), QStringLiteral("/dev/ttyS1"));
    QtSerialPort port;
    QVERIFY(!port.setCommPort(0));
    QVERIFY(port.setCommPort(4));
    QCOMPARE(port.commPort(), 4);
}

void PortSelectionTest::realPortOnAPseudoTerminal()
{
    PseudoTerminal line;
    QVERIFY(line.isValid());
    qputenv("KESTRIN_COM1", line.slavePath().toLocal8Bit());
    QtSerialPort port;
    QVERIFY(port.setCommPort(1));
    QVERIFY(port.open());
    QVERIFY(!port.setCommPort(2)); // not while open
    // A port in use cannot be opened a second time.
    QtSerialPort second;
    QVERIFY(second.setCommPort(1));
    QVERIFY(!second.open());

    QVERIFY(port.write(QByteArray("X\r\x03\b", 4)));
    QCOMPARE(line.read(), QByteArray("X\r\x03\b", 4));
    QSignalSpy ready(&port, &SerialPort::readyRead);
    QVERIFY(line.write("X\r\n\t1\r\n>"));
    QVERIFY(ready.wait(2000));
    QByteArray received = port.readAll();
    QTRY_COMPARE_WITH_TIMEOUT((received += port.readAll()), QByteArray("X\r\n\t1\r\n>"), 2000);

    // The far end goes away: the port closes itself, once, with no storm of errors.
    QSignalSpy lost(&port, &SerialPort::lost);
    line.hangUp();
    QVERIFY(lost.wait(2000));
    QVERIFY(!port.isOpen());
    QVERIFY(!port.write("X\r"));
    QTest::qWait(100);
    QCOMPARE(lost.size(), 1);

    qputenv("KESTRIN_COM1", "/dev/kestrin-no-such-device");
    QtSerialPort missing;
    QVERIFY(missing.setCommPort(1));
    QVERIFY(!missing.open());
    qunsetenv("KESTRIN_COM1");
}

QTEST_MAIN(PortSelectionTest)
#include "tst_port_selection.moc"
