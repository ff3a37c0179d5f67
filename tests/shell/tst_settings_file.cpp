#include "tst_settings_file.h"

#include "shell/settings_file.h"
#include "window_fixture.h"

#include <QTest>

void SettingsFileTest::textNamesPortAndSettings_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("settings");
    QTest::newRow("usual") << QByteArray("COM2:9600,N,8,1") << 2 << "9600,N,8,1";
    QTest::newRow("line end kept") << QByteArray("COM1:9600,N,8,1\r\n") << 1 << "9600,N,8,1\r\n";
    QTest::newRow("letter for digit") << QByteArray("COMx:9600,N,8,1") << 0 << "9600,N,8,1";
    QTest::newRow("empty") << QByteArray() << 0 << "";
    QTest::newRow("too short") << QByteArray("COM3") << 3 << "";
}

void SettingsFileTest::textNamesPortAndSettings()
{
    QFETCH(QByteArray, text);
    QFETCH(int, number);
    QFETCH(QString, settings);
    const RememberedPort port = parseSettingsText(text);
    QCOMPARE(port.number, number);
    QCOMPARE(port.settings, settings);
}

void SettingsFileTest::writtenTextKeepsLastDigitAndUpperCase()
{
    QCOMPARE(settingsText(2, QStringLiteral("9600,n,8,1")), QByteArray("COM2:9600,N,8,1"));
    QCOMPARE(settingsText(12, QStringLiteral("19200,e,7,2")), QByteArray("COM2:19200,E,7,2"));
}

void SettingsFileTest::fileIsWrittenExactlyAndDeleted()
{
    TemporaryCurrentDir dir;
    QVERIFY(!readSettingsFile(QStringLiteral("kestrin.ini")));
    QVERIFY(writeSettingsFile(QStringLiteral("kestrin.ini"), "COM2:9600,N,8,1"));
    QCOMPARE(readFile(QStringLiteral("kestrin.ini")), QByteArray("COM2:9600,N,8,1"));
    QCOMPARE(*readSettingsFile(QStringLiteral("kestrin.ini")), QByteArray("COM2:9600,N,8,1"));
    // A shorter text replaces the file whole: nothing of the old one is left.
    QVERIFY(writeSettingsFile(QStringLiteral("kestrin.ini"), "COM3:1200,N,8,1"));
    QCOMPARE(QFileInfo(QStringLiteral("kestrin.ini")).size(), 15);
    deleteSettingsFile(QStringLiteral("kestrin.ini"));
    QVERIFY(!QFile::exists(QStringLiteral("kestrin.ini")));
    deleteSettingsFile(QStringLiteral("kestrin.ini"));
}

void SettingsFileTest::directoryInPlaceIsNoSettingsFile()
{
    TemporaryCurrentDir dir;
    QVERIFY(QDir().mkdir(QStringLiteral("kestrin.ini")));
    QVERIFY(!readSettingsFile(QStringLiteral("kestrin.ini")));
    QVERIFY(!writeSettingsFile(QStringLiteral("kestrin.ini"), "COM1:9600,N,8,1"));
    QVERIFY(QFileInfo(QStringLiteral("kestrin.ini")).isDir());
}
