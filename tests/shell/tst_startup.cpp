#include "tst_settings_file.h"

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
    void controlsHaveTheirNamesCaptionsAndStates();
    void menusHoldTheirItemsInOrder();
    void startupWithoutSettingsFileShowsPortClosed();
    void startupOpensRememberedPortWithEndOfText();
    void startupRefusesSettingsWithLineEnd();
    void startupReportsPortHeldByAnotherProgram();
    void startupReportsPortDigitThatIsNoPort();
    void startupWritesEntriesAndCentresWindow();
    void exitIsRefusedDuringCalibration();
    void closingTheWindowClosesThePort();
    void aboutShowsTwoLinesWithOneCarriageReturn();
    void helpOpensTheExecutablesHelpFile();
};

void StartupTest::controlsHaveTheirNamesCaptionsAndStates()
{
    WindowFixture f;
    f.start();
    MainWindow &w = f.w();
    QCOMPARE(w.windowTitle(), QStringLiteral("Calibrator Kestrin"));

    const QList<std::pair<const char *, QString>> labels {
        {"Status", "Com Port Closed"},
        {"CorrectedConcentration", "2000"},
        {"TemperatureLabel", "°C"},
        {"PressureLabel", "hPa"},
        {"Label44", "Span Gas"},
        {"Label6", "Temperature"},
        {"Label5", "Pressure"},
        {"Label7", "Corrected"},
        {"Label8", "ppm"},
        {"Label9", "ppm"},
        {"ppmDisplay", "-----"},
        {"ppmText", "ppm "},
        {"Label1(0)", "Rx ="},
        {"Label1(1)", "avg ="},
        {"Label1(2)", "Tx ="},
        {"Label1(3)", "ppm ="},
        {"RxLabel", "--"},
        {"avgLabel", "--"},
    };
    for (const auto &[name, caption] : labels) {
        auto *label = w.findChild<QLabel *>(QLatin1String(name));
        QVERIFY2(label, name);
        QCOMPARE(label->text(), caption);
    }
    for (const char *hidden : {"Label1(0)", "Label1(1)", "Label1(2)", "Label1(3)", "RxLabel",
                               "TxLabel", "ppmLabel", "avgLabel"})
        QVERIFY2(w.findChild<QLabel *>(QLatin1String(hidden))->isHidden(), hidden);

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
    QCOMPARE(w.findChild<QLineEdit *>(QStringLiteral("SpanGasConcentration"))->text(),
             QStringLiteral("2000"));
    for (const char *frame :
         {"StatusFrame", "AmbientSettingsFrame", "CO2displayFrame", "CalibrartionControlFrame"})
        QVERIFY2(w.findChild<QWidget *>(QLatin1String(frame)), frame);

    QCOMPARE(w.Timer1->interval(), 2000);
    QVERIFY(w.Timer1->isEnabled());
    QCOMPARE(w.TimeOutTimer->interval(), 1000);
    QVERIFY(!w.TimeOutTimer->isEnabled());
    QCOMPARE(w.NumberOfSamples, 100.0);
    QCOMPARE(w.TubeCoefficient, 0.2);
    QCOMPARE(w.CommandTerminator, QStringLiteral("\r"));
    QCOMPARE(w.LineFeed, QStringLiteral("\n"));
    QCOMPARE(w.SettingsFileName, QStringLiteral("kestrin.ini"));
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

void StartupTest::startupWithoutSettingsFileShowsPortClosed()
{
    WindowFixture f;
    f.fake.port.existing = {1, 3};
    f.start();
    MainWindow &w = f.w();
    QCOMPARE(w.Status->text(), QStringLiteral("Com Port Closed"));
    QCOMPARE(statusColour(w.Status), 255);
    QVERIFY(!f.fake.port.isOpen());
    for (int n = 1; n <= 4; ++n)
        QVERIFY(!w.menuCom[size_t(n)]->isChecked());
    QVERIFY(!w.menuCloseComPort->isEnabled());
    // The probe greys out the ports that cannot be opened, and leaves none open.
    QVERIFY(w.menuCom[1]->isEnabled());
    QVERIFY(!w.menuCom[2]->isEnabled());
    QVERIFY(w.menuCom[3]->isEnabled());
    QVERIFY(!w.menuCom[4]->isEnabled());
    QCOMPARE(f.fake.port.opens, (QList<int> {1, 3}));
    QCOMPARE(f.fake.port.closes, 2);
    QVERIFY(f.fake.port.written.isEmpty());
    QVERIFY(f.fake.dialogs.shown.isEmpty());
    QCOMPARE(f.fake.desktop.beeps, 0);
}

void StartupTest::startupOpensRememberedPortWithEndOfText()
{
    WindowFixture f;
    writeFile(QStringLiteral("kestrin.ini"), "COM2:19200,E,7,1");
    f.start();
    MainWindow &w = f.w();
    QVERIFY(f.fake.port.isOpen());
    QCOMPARE(f.fake.port.commPort(), 2);
    QCOMPARE(f.fake.port.settings(), QStringLiteral("19200,E,7,1"));
    QCOMPARE(f.fake.port.written, QByteArray("\x03"));
    QVERIFY(w.menuCom[2]->isChecked());
    QVERIFY(!w.menuCom[1]->isChecked());
    QVERIFY(w.menuCloseComPort->isEnabled());
    QCOMPARE(w.Status->text(), QStringLiteral("Com Port is Open"));
    QCOMPARE(statusColour(w.Status), 0);
    QVERIFY(f.fake.dialogs.shown.isEmpty());
    // Start-up only reads the file.
    QCOMPARE(readFile(QStringLiteral("kestrin.ini")), QByteArray("COM2:19200,E,7,1"));
}

void StartupTest::startupRefusesSettingsWithLineEnd()
{
    WindowFixture f;
    writeFile(QStringLiteral("kestrin.ini"), "COM1:9600,N,8,1\r\n");
    f.start();
    QCOMPARE(f.fake.dialogs.messageTexts(),
             QStringList {"Invalid Com Settings, Select a Free Com Port"});
    QCOMPARE(f.fake.dialogs.shown[0].title, QStringLiteral("Kestrin"));
    QCOMPARE(f.fake.desktop.beeps, 1);
    QCOMPARE(f.w().Status->text(), QStringLiteral("Status Info"));
    QVERIFY(!f.fake.port.isOpen());
    QVERIFY(f.fake.port.written.isEmpty());
}

void StartupTest::startupReportsPortHeldByAnotherProgram()
{
    WindowFixture f;
    writeFile(QStringLiteral("kestrin.ini"), "COM3:9600,N,8,1");
    f.fake.port.heldByOthers = {3};
    f.start();
    MainWindow &w = f.w();
    QVERIFY(!w.menuCom[3]->isEnabled());
    QCOMPARE(f.fake.dialogs.messageTexts(),
             QStringList {"Error during opening the port, Select a Free Com Port"});
    QCOMPARE(f.fake.desktop.beeps, 1);
    QVERIFY(!f.fake.port.isOpen());
    QVERIFY(!w.menuCom[3]->isChecked());
    QVERIFY(!w.menuCloseComPort->isEnabled());
    QVERIFY(f.fake.port.written.isEmpty());
}

void StartupTest::startupReportsPortDigitThatIsNoPort()
{
    WindowFixture f;
    writeFile(QStringLiteral("kestrin.ini"), "COMx:9600,N,8,1");
    f.start();
    QCOMPARE(f.fake.dialogs.messageTexts(),
             QStringList {"Error during opening the port, Select a Free Com Port"});
    QVERIFY(!f.fake.port.isOpen());
}

void StartupTest::startupWritesEntriesAndCentresWindow()
{
    WindowFixture f;
    f.start();
    MainWindow &w = f.w();
    QCOMPARE(w.PressureText->text(), QStringLiteral("1013"));
    QCOMPARE(w.TemperatureText->text(), QStringLiteral("25.0"));
    QCOMPARE(w.Pressure, 1013.0);
    QCOMPARE(w.Temperature, 25.0);
    QCOMPARE(w.x(), (1024 - w.width()) / 2);
    QCOMPARE(w.y(), (768 - w.height()) / 2);
}

void StartupTest::exitIsRefusedDuringCalibration()
{
    WindowFixture f;
    f.start();
    f.w().ZeroCalibrationRunning = true;
    f.w().menuExit->trigger();
    QCOMPARE(f.fake.desktop.ended, 0);
    QCOMPARE(f.fake.dialogs.messageTexts(), QStringList {"Not possible during calibration!"});
    QCOMPARE(f.fake.desktop.beeps, 1);

    f.w().ZeroCalibrationRunning = false;
    f.w().SpanCalibrationRunning = true;
    f.w().menuExit->trigger();
    QCOMPARE(f.fake.desktop.ended, 0);

    f.w().SpanCalibrationRunning = false;
    f.w().menuExit->trigger();
    QCOMPARE(f.fake.desktop.ended, 1);
}

void StartupTest::closingTheWindowClosesThePort()
{
    WindowFixture f;
    writeFile(QStringLiteral("kestrin.ini"), "COM1:9600,N,8,1");
    f.start();
    f.w().ZeroCalibrationRunning = true; // closing is not refused during a run
    QVERIFY(f.fake.port.isOpen());
    QVERIFY(f.w().close());
    QVERIFY(!f.fake.port.isOpen());
    QCOMPARE(readFile(QStringLiteral("kestrin.ini")), QByteArray("COM1:9600,N,8,1"));
}

void StartupTest::aboutShowsTwoLinesWithOneCarriageReturn()
{
    WindowFixture f;
    f.start();
    f.w().menuAbout->trigger();
    QCOMPARE(f.fake.dialogs.shown.size(), 1);
    const ShownBox &box = f.fake.dialogs.shown[0];
    QCOMPARE(box.text, QStringLiteral("Calibrator Kestrin\r                    Version 6.10   "));
    QCOMPARE(box.buttons, MessageButtons::Ok);
    QCOMPARE(box.icon, MessageIcon::None);
    QCOMPARE(box.title, QStringLiteral("Kestrin"));
    QCOMPARE(f.fake.desktop.beeps, 0);
}

void StartupTest::helpOpensTheExecutablesHelpFile()
{
    WindowFixture f;
    f.start();
    f.w().menuContents->trigger();
    QCOMPARE(f.fake.dialogs.shown.size(), 1);
    QCOMPARE(f.fake.dialogs.shown[0].kind, ShownBox::Help);
    QCOMPARE(f.fake.dialogs.shown[0].text, QStringLiteral("kestrin.HLP"));
}

int main(int argc, char *argv[])
{
    return runTests<StartupTest, SettingsFileTest>(argc, argv);
}

#include "tst_startup.moc"
