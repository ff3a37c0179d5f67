// Start-up and shutdown of the window: its controls, the remembered port, Exit,
// About and Help.

#include "shell/settings_file.h"
#include "test_main.h"
#include "window_fixture.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void controlsHaveTheirCaptionsAndStates();
    void menusHoldTheirItemsInOrder();
    void startupOpensTheRememberedPort_data();
    void startupOpensTheRememberedPort();
    void settingsTextNamesPortAndSettings_data();
    void settingsTextNamesPortAndSettings();
    void exitIsRefusedDuringCalibrationButClosingIsNot();
    void aboutAndHelp();
};

void StartupTest::controlsHaveTheirCaptionsAndStates()
{
    WindowFixture f;
    f.start();
    MainWindow &w = f.w();
    QCOMPARE(w.windowTitle(), QStringLiteral("Calibrator Kestrin"));
    const QList<std::pair<const char *, QString>> labels {
        {"TemperatureLabel", "°C"}, {"PressureLabel", "hPa"}, {"Label44", "Span Gas"},
        {"Label6", "Temperature"},  {"Label5", "Pressure"},   {"Label7", "Corrected"},
        {"Label8", "ppm"},          {"Label9", "ppm"},        {"ppmText", "ppm "},
        {"Label1(0)", "Rx ="},      {"Label1(1)", "avg ="},   {"Label1(2)", "Tx ="},
        {"Label1(3)", "ppm ="},
    };
    for (const auto &[name, caption] : labels) {
        auto *label = w.findChild<QLabel *>(QLatin1String(name));
        QVERIFY2(label, name);
        QCOMPARE(label->text(), caption);
    }
    const QList<std::tuple<const char *, QString, QString, bool>> buttons {
        {"ZeroButton", "&Zero", "Start Zero Calibration", true},
        {"CancelButton", "&Cancel", "Stop Calibration", false},
        {"SpanButton", "&Span", "Start Span Calibration", true},
    };
    for (const auto &[name, caption, tip, enabled] : buttons) {
        auto *button = w.findChild<QPushButton *>(QLatin1String(name));
        QVERIFY2(button, name);
        QCOMPARE(button->text(), caption);
        QCOMPARE(button->toolTip(), tip);
        QCOMPARE(button->isEnabled(), enabled);
    }
    for (const char *frame :
         {"StatusFrame", "AmbientSettingsFrame", "CO2displayFrame", "CalibrartionControlFrame"})
        QVERIFY2(w.findChild<QWidget *>(QLatin1String(frame)), frame);
    QCOMPARE(w.findChild<QLineEdit *>(QStringLiteral("SpanGasConcentration"))->text(),
             QStringLiteral("2000"));
    QCOMPARE(w.PressureText->text() + u'|' + w.TemperatureText->text(),
             QStringLiteral("1013|25.0"));
    // Centred on the screen.
    QCOMPARE(w.pos(), QPoint((1024 - w.width()) / 2, (768 - w.height()) / 2));
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
        "menuPrintTransmitterParameters=&Print Transmitter Parameters, -, menuExit=E&xit",
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
    QTest::addColumn<QList<int>>("held"); // ports another program holds
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

void StartupTest::settingsTextNamesPortAndSettings_data()
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

void StartupTest::settingsTextNamesPortAndSettings()
{
    QFETCH(QByteArray, text);
    QFETCH(int, number);
    QFETCH(QString, settings);
    const RememberedPort port = parseSettingsText(text);
    QCOMPARE(port.number, number);
    QCOMPARE(port.settings, settings);
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

void StartupTest::aboutAndHelp()
{
    WindowFixture f;
    f.start();
    f.w().menuAbout->trigger();
    f.w().menuContents->trigger();
    QCOMPARE(f.fake.dialogs.shown.size(), 2);
    const ShownBox &about = f.fake.dialogs.shown[0];
    QCOMPARE(about.text, QStringLiteral("Calibrator Kestrin\r                    Version 6.10   "));
    QCOMPARE(about.buttons, MessageButtons::Ok);
    QCOMPARE(about.icon, MessageIcon::None);
    QCOMPARE(about.title, QStringLiteral("Kestrin"));
    QCOMPARE(f.fake.desktop.beeps, 0);
    QCOMPARE(f.fake.dialogs.shown[1].kind, ShownBox::Help);
    QCOMPARE(f.fake.dialogs.shown[1].text, QStringLiteral("kestrin.HLP"));
}

int main(int argc, char *argv[])
{
    return runTests<StartupTest>(argc, argv);
}

#include "tst_startup.moc"
