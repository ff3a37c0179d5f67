// Start-up and shutdown of the window: its controls and menus, the
// remembered port, Exit, About and Help.

#include "window_fixture.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QMenuBar>

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void windowOpensWithItsControls();
    void menusHoldTheirItemsInOrder();
    void startupOpensTheRememberedPort_data();
    void startupOpensTheRememberedPort();
    void settingsFileThatCannotBeReadOrWritten();
    void exitIsRefusedDuringCalibrationButClosingIsNot();
};

void StartupTest::windowOpensWithItsControls()
{
    WindowFixture f;
    f.start();
    MainWindow &w = f.w();
    QCOMPARE(w.windowTitle(), QStringLiteral("Calibrator Kestrin"));
    QStringList captions;
    for (const char *name : {"Label44", "Label5", "Label6", "Label7", "PressureLabel",
                             "TemperatureLabel", "ppmText", "Label1(0)", "Label1(1)", "ppmDisplay",
                             "CorrectedConcentration", "RxLabel", "Status"})
        captions << w.findChild<QLabel *>(QLatin1String(name))->text();
    QCOMPARE(captions.join(u'|'), QStringLiteral("Span Gas|Pressure|Temperature|Corrected|hPa|"
                                                 "°C|ppm |Rx =|avg =|-----|2000|--|"
                                                 "Com Port Closed"));
    QCOMPARE(w.ZeroButton->text() + w.CancelButton->toolTip() + w.SpanButton->toolTip(),
             QStringLiteral("&ZeroStop CalibrationStart Span Calibration"));
    QVERIFY(!w.CancelButton->isEnabled() && !w.RxLabel->isVisibleTo(&w));
    // The entries from top to bottom, and so in the Tab order: span gas,
    // pressure, temperature; the start-up has written the two ambient values.
    w.show();
    QVERIFY(w.SpanGasConcentration->y() < w.PressureText->y()
            && w.PressureText->y() < w.TemperatureText->y());
    QCOMPARE(w.SpanGasConcentration->nextInFocusChain(), w.PressureText);
    QCOMPARE(w.PressureText->nextInFocusChain(), w.TemperatureText);
    QCOMPARE(w.PressureText->text() + u'|' + w.TemperatureText->text(),
             QStringLiteral("1013|25.0"));
    QCOMPARE(w.pos(), QPoint((1024 - w.width()) / 2, (768 - w.height()) / 2));

    w.menuAbout->trigger();
    w.menuContents->trigger();
    QCOMPARE(f.fake.dialogs.messageTexts(),
             QStringList {"Calibrator Kestrin\r                    Version 6.10   "});
    QCOMPARE(f.fake.dialogs.shown[0].title, QStringLiteral("Kestrin"));
    QCOMPARE(f.fake.dialogs.shown[1].text, QStringLiteral("kestrin.HLP"));
    QCOMPARE(f.fake.desktop.beeps, 0);
}

void StartupTest::menusHoldTheirItemsInOrder()
{
    WindowFixture f;
    f.start();
    QStringList layout;
    for (QAction *top : f.w().menuBar()->actions()) {
        QMenu *menu = top->menu();
        QStringList items;
        for (QAction *item : menu->actions()) {
            QString entry = item->isSeparator() ? QStringLiteral("-")
                                                : item->objectName() + u'=' + item->text();
            if (item->isCheckable() && item->isChecked())
                entry += QStringLiteral(" [x]");
            if (!item->isEnabled())
                entry += QStringLiteral(" [off]");
            items << entry;
        }
        layout << menu->objectName() + u'=' + menu->title() + QStringLiteral(": ")
                + items.join(u", ");
    }
    const QStringList expected {
        "menuFiles=&Files: menuOpenParameterFile=&Open Parameter File, -, "
        "menuPrintTransmitterParameters=&Print Transmitter Parameters, -, menuExit=E&xit, -, "
        "menuCalibrationReport=Calibration &Report...",
        "menuEdit=&Edit: menuUndoZeroCalibration=Undo &Zero Calibration [off], "
        "menuUndoSpanCalibration=Undo &Span Calibration [off]",
        "menuComSettings=&Com: menuCom(1)=Com&1, menuCom(2)=Com&2, menuCom(3)=Com&3, "
        "menuCom(4)=Com&4, -, "
        "menuCloseComPort=&Close Com Port [off]",
        "menuRelayMain=&Relay: menuRelayTriggerPoint=&Relay Trigger Point",
        "menuUnits=&Units: menu_hPa=hPa [x], menu_mbar=mbar, menu_kPa=kPa, menu_inHg=inHg, "
        "menu_mmH2O=mmH2O, "
        "menu_mmHg=mmHg, menu_torr=torr, menu_psi=psi, -, menu_Celsius=Celsius [x], "
        "menu_Farenheit=Farenheit",
        "menuSpecial=&Special: menuNumberOfSamples=&Number Of Samples",
        "menuHelp2=&Help: menuContents=&Contents, -, menuAbout=&About",
    };
    QCOMPARE(layout, expected);
}

void StartupTest::startupOpensTheRememberedPort_data()
{
    QTest::addColumn<QByteArray>("file"); // null: none
    QTest::addColumn<QList<int>>("held"); // ports another program holds; 0: writes fail
    QTest::addColumn<int>("opened"); // 0: none
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("colour");
    QTest::addColumn<QString>("usable"); // the enabled Com items

    const QString invalid = QStringLiteral("Invalid Com Settings, Select a Free Com Port");
    const QString openError
        = QStringLiteral("Error during opening the port, Select a Free Com Port");
    QTest::newRow("no settings file") << QByteArray() << QList<int> {2, 4} << 0 << ""
                                      << "Com Port Closed" << 255 << "1010";
    QTest::newRow("free port") << QByteArray("COM2:19200,E,7,1") << QList<int> {} << 2 << ""
                               << "Com Port is Open" << 0 << "1111";
    QTest::newRow("end of text not written") << QByteArray("COM2:19200,E,7,1") << QList<int> {0}
                                             << 0 << openError << "Status Info" << 0 << "1111";
    QTest::newRow("line end after the settings")
        << QByteArray("COM1:9600,N,8,1\r\n") << QList<int> {} << 0 << invalid << "Status Info" << 0
        << "1111";
    QTest::newRow("port held by another program") << QByteArray("COM3:9600,N,8,1") << QList<int> {3}
                                                  << 0 << openError << "Status Info" << 0 << "1101";
    QTest::newRow("no port digit") << QByteArray("COMx:9600,N,8,1") << QList<int> {} << 0
                                   << openError << "Status Info" << 0 << "1111";
}

void StartupTest::startupOpensTheRememberedPort()
{
    QFETCH(QByteArray, file);
    QFETCH(QList<int>, held);
    QFETCH(int, opened);
    QFETCH(QString, message);
    QFETCH(QString, status);
    QFETCH(int, colour);
    QFETCH(QString, usable);
    WindowFixture f;
    if (!file.isNull())
        writeFile(QStringLiteral("kestrin.ini"), file);
    f.fake.port.heldByOthers = {held.begin(), held.end()};
    f.fake.port.failWrites = held.contains(0);
    f.start();
    MainWindow &w = f.w();

    QCOMPARE(f.fake.dialogs.messageTexts(),
             message.isEmpty() ? QStringList() : QStringList(message));
    QCOMPARE(f.fake.desktop.beeps, message.isEmpty() ? 0 : 1);
    QCOMPARE(w.Status->text(), status);
    QCOMPARE(statusColour(w.Status), colour);
    QCOMPARE(f.fake.port.isOpen(), opened > 0);
    // The end-of-text character goes out first, and only on a port that opened.
    QCOMPARE(f.fake.port.written, QByteArray(opened > 0 ? "\x03" : ""));
    QString enabled;
    for (int n = 1; n <= 4; ++n) {
        QCOMPARE(w.menuCom[size_t(n)]->isChecked(), n == opened);
        enabled += w.menuCom[size_t(n)]->isEnabled() ? u'1' : u'0';
    }
    QCOMPARE(enabled, usable);
    QCOMPARE(w.menuCloseComPort->isEnabled(), opened > 0);
    if (opened)
        QCOMPARE(f.fake.port.settings(), QStringLiteral("19200,E,7,1"));
    // Start-up only reads the file.
    QCOMPARE(readFile(QStringLiteral("kestrin.ini")), file);
}

void StartupTest::exitIsRefusedDuringCalibrationButClosingIsNot()
{
    WindowFixture f;
    writeFile(QStringLiteral("kestrin.ini"), "COM1:9600,N,8,1");
    f.start();
    MainWindow &w = f.w();
    for (bool *running : {&w.ZeroCalibrationRunning, &w.SpanCalibrationRunning}) {
        *running = true;
        w.menuExit->trigger();
        *running = false;
    }
    QCOMPARE(f.fake.desktop.ended, 0);
    QCOMPARE(f.fake.dialogs.messageTexts(),
             QStringList(2, QStringLiteral("Not possible during calibration!")));
    QCOMPARE(f.fake.desktop.beeps, 2);
    w.menuExit->trigger();
    QCOMPARE(f.fake.desktop.ended, 1);

    w.ZeroCalibrationRunning = true;
    QVERIFY(w.close());
    QVERIFY(!f.fake.port.isOpen());
    QCOMPARE(readFile(QStringLiteral("kestrin.ini")), QByteArray("COM1:9600,N,8,1"));
}

void StartupTest::settingsFileThatCannotBeReadOrWritten()
{
    // A folder in its place, a file whose read fails (address 0 of the
    // process's own memory is never mapped, for root too), a folder that
    // takes no file: each is told, and a chosen port still opens.
    for (const QString trouble : {"folder", "unreadable", "read-only"}) {
        WindowFixture f;
        if (trouble == u"folder")
            QVERIFY(QDir().mkdir(QStringLiteral("kestrin.ini")));
        else if (trouble == u"unreadable")
            QFile::link(QStringLiteral("/proc/self/mem"), QStringLiteral("kestrin.ini"));
        // Permissions do not stop root: the top of /proc takes no file from anybody.
        else if (!QDir::setCurrent(QStringLiteral("/proc")))
            QFAIL("no /proc");
        f.start();
        const bool readable = trouble != u"unreadable";
        QCOMPARE(f.fake.dialogs.messageTexts(),
                 readable ? QStringList() : QStringList {"Invalid Com Settings, Select a Free Com Port"});
        QCOMPARE(f.w().Status->text(), readable ? "Com Port Closed" : "Status Info");
        f.w().menuCom[2]->trigger();
        QVERIFY(f.fake.port.isOpen() && f.w().menuCom[2]->isChecked());
        QCOMPARE(f.fake.dialogs.messageTexts().mid(readable ? 0 : 1),
                 readable ? QStringList {"Failed to save com settings"} : QStringList());
        QCOMPARE(f.fake.desktop.beeps, readable ? 0 : 1);
    }
}

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
