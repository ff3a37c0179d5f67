#include "tst_qt_serial_port.h"

#include "platform/qt_serial_port.h"
#include "pseudo_terminal.h"

#include <QSignalSpy>
#include <QTest>

void QtSerialPortTest::settingsTextsAreCheckedLikeTheSerialService_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("initial") << "9600,n,8,1" << true;
    QTest::newRow("upper case parity") << "9600,N,8,1" << true;
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

void QtSerialPortTest::settingsTextsAreCheckedLikeTheSerialService()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QtSerialPort port;
    QCOMPARE(port.settings(), QStringLiteral("9600,n,8,1"));
    QCOMPARE(port.setSettings(text), accepted);
    QCOMPARE(port.settings(), accepted ? text : QStringLiteral("9600,n,8,1"));
}

void QtSerialPortTest::portNumberNamesTheConfiguredDevice()
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

void QtSerialPortTest::bytesGoOutAndComeBackUnchanged()
{
    PseudoTerminal line;
    QVERIFY(line.isValid());
    qputenv("KESTRIN_COM1", line.slavePath().toLocal8Bit());
    QtSerialPort port;
    QVERIFY(port.setCommPort(1));
    QVERIFY(port.open());
    QVERIFY(!port.setCommPort(2)); // not while open

    QVERIFY(port.write(QByteArray("X\r\x03\b", 4)));
    QCOMPARE(line.read(), QByteArray("X\r\x03\b", 4));

    QSignalSpy ready(&port, &SerialPort::readyRead);
    QVERIFY(line.write("X\r\n\t1\r\n>"));
    QVERIFY(ready.wait(2000));
    QByteArray received = port.readAll();
    QTRY_COMPARE_WITH_TIMEOUT((received += port.readAll()), QByteArray("X\r\n\t1\r\n>"), 2000);
    QVERIFY(port.readAll().isEmpty());

    port.close();
    QVERIFY(!port.isOpen());
    QVERIFY(!port.write("X\r"));
    QVERIFY(port.readAll().isEmpty());
    qunsetenv("KESTRIN_COM1");
}

void QtSerialPortTest::portInUseOrMissingCannotBeOpened()
{
    PseudoTerminal line;
    qputenv("KESTRIN_COM1", line.slavePath().toLocal8Bit());
    QtSerialPort first;
    QVERIFY(first.setCommPort(1));
    QVERIFY(first.open());
    QtSerialPort second;
    QVERIFY(second.setCommPort(1));
    QVERIFY(!second.open());
    QVERIFY(!second.isOpen());

    qputenv("KESTRIN_COM1", "/dev/kestrin-no-such-device");
    QtSerialPort missing;
    QVERIFY(missing.setCommPort(1));
    QVERIFY(!missing.open());
    qunsetenv("KESTRIN_COM1");
}

void QtSerialPortTest::hangUpClosesThePortOnce()
{
    PseudoTerminal line;
    qputenv("KESTRIN_COM1", line.slavePath().toLocal8Bit());
    QtSerialPort port;
    QVERIFY(port.setCommPort(1));
    QVERIFY(port.open());
    QSignalSpy lost(&port, &SerialPort::lost);
    line.hangUp();
    QVERIFY(lost.wait(2000));
    QVERIFY(!port.isOpen());
    // No storm of errors afterwards.
    QTest::qWait(100);
    QCOMPARE(lost.size(), 1);
    qunsetenv("KESTRIN_COM1");
}
