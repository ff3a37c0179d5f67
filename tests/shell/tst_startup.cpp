// Start-up and shutdown of the window: its first state, the remembered port
// and Exit.

#include "window_fixture.h"

#include <QAction>

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void windowOpensWithItsControls()
    {
        WindowFixture f;
        f.start();
        MainWindow &w = f.w();
        QCOMPARE(w.windowTitle(), QStringLiteral("Calibrator Kestrin"));
        QCOMPARE(w.Status->text() + u'|' + w.ppmDisplay->text() + u'|'
                     + w.CorrectedConcentration->text(),
                 QStringLiteral("Com Port Closed|-----|2000"));
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
        // Centred on the 1024 x 768 desktop with the frame a window manager
        // adds (4 pixels each side and below, a title bar of 32).
        QCOMPARE(w.geometry().topLeft(),
                 QPoint((1024 - w.width() - 8) / 2 + 4, (768 - w.height() - 36) / 2 + 32));
    }

    void startupOpensTheRememberedPort_data()
    {
        QTest::addColumn<QByteArray>("file"); // null: none
        QTest::addColumn<QList<int>>("held"); // ports another program holds; 0: writes fail
        // The port opened (0: none), the box, the status line and its colour,
        // and the Com items enabled.
        QTest::addColumn<QString>("started");
        const QString invalid = QStringLiteral("Invalid Com Settings, Select a Free Com Port");
        const QString openError
            = QStringLiteral("0|Error during opening the port, Select a Free Com Port|Status Info"
                             "|black|");
        QTest::newRow("no settings file")
            << QByteArray() << QList<int> {2, 4} << "0||Com Port Closed|red|1010";
        QTest::newRow("free port")
            << QByteArray("COM2:19200,E,7,1") << QList<int> {} << "2||Com Port is Open|black|1111";
        QTest::newRow("end of text not written")
            << QByteArray("COM2:19200,E,7,1") << QList<int> {0} << openError + "1111";
        QTest::newRow("line end after the settings")
            << QByteArray("COM1:9600,N,8,1\r\n") << QList<int> {}
            << "0|" + invalid + "|Status Info|black|1111";
        QTest::newRow("port held by another program")
            << QByteArray("COM3:9600,N,8,1") << QList<int> {3} << openError + "1101";
        QTest::newRow("no port digit")
            << QByteArray("COMx:9600,N,8,1") << QList<int> {} << openError + "1111";
    }

    void startupOpensTheRememberedPort()
    {
        QFETCH(QByteArray, file);
        QFETCH(QList<int>, held);
        QFETCH(QString, started);
        WindowFixture f;
        if (!file.isNull())
            writeFile(QStringLiteral("kestrin.ini"), file);
        f.fake.port.heldByOthers = {held.begin(), held.end()};
        f.fake.port.failWrites = held.contains(0);
        f.start();
        MainWindow &w = f.w();
        const int opened = f.fake.port.isOpen() ? f.fake.port.commPort() : 0;
        QString usable;
        for (int n = 1; n <= 4; ++n) {
            QCOMPARE(w.menuCom[size_t(n)]->isChecked(), n == opened);
            usable += w.menuCom[size_t(n)]->isEnabled() ? u'1' : u'0';
        }
        QCOMPARE(QStringList({QString::number(opened), f.fake.dialogs.messageTexts().join(u'/'),
                              statusLine(w), usable})
                     .join(u'|'),
                 started);
        QCOMPARE(f.fake.desktop.beeps, f.fake.dialogs.shown.size());
        // The end-of-text character goes out first, and only on a port that opened.
        QCOMPARE(f.fake.port.written, QByteArray(opened > 0 ? "\x03" : ""));
        QCOMPARE(w.menuCloseComPort->isEnabled(), opened > 0);
        if (opened)
            QCOMPARE(f.fake.port.settings(), QStringLiteral("19200,E,7,1"));
        // Start-up only reads the file.
        QCOMPARE(readFile(QStringLiteral("kestrin.ini")), file);
    }

    void exitIsRefusedDuringCalibrationButClosingIsNot()
    {
        WindowFixture f;
        writeFile(QStringLiteral("kestrin.ini"), "COM1:9600,N,8,1");
        f.start();
        MainWindow &w = f.w();
        w.session().SpanCalibrationRunning = true;
        w.menuExit->trigger();
        QCOMPARE(f.fake.desktop.ended, 0);
        QCOMPARE(f.fake.dialogs.messageTexts(), QStringList {"Not possible during calibration!"});
        QCOMPARE(f.fake.desktop.beeps, 1);
        w.session().SpanCalibrationRunning = false;
        w.menuExit->trigger();
        QCOMPARE(f.fake.desktop.ended, 1);

        w.session().ZeroCalibrationRunning = true;
        QVERIFY(w.close());
        QVERIFY(!f.fake.port.isOpen());
        QCOMPARE(readFile(QStringLiteral("kestrin.ini")), QByteArray("COM1:9600,N,8,1"));
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
