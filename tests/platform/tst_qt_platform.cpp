// The Qt side of the seam: the serial port on a pseudo-terminal, with the line
// settings it really runs on, and the boxes as the window system shows them.

#include "platform/qt_platform.h"
#include "platform/qt_serial_port.h"
#include "pty_link.h"
#include "window_fixture.h"

#include <QComboBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

// Answers the next modal box with `answer` once it is up, noting its title.
void whenTheBoxIsUp(std::function<void(QWidget *)> answer)
{
    QTimer::singleShot(0, [answer] {
        QWidget *box = QApplication::activeModalWidget();
        if (!box)
            return whenTheBoxIsUp(answer);
        answer(box);
    });
}

} // namespace

class QtPlatformTest : public QObject {
    Q_OBJECT

private slots:
    void lineSettingsAsQtTakesThem_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("parity"); // -1: the text is refused
        QTest::addColumn<int>("dataBits");
        QTest::addColumn<int>("stopBits");
        QTest::newRow("none") << "9600,N,8,1" << int(QSerialPort::NoParity) << 8 << 1;
        QTest::newRow("even") << "19200,e,7,2" << int(QSerialPort::EvenParity) << 7 << 2;
        QTest::newRow("odd") << "1200,O,5,1.5" << int(QSerialPort::OddParity) << 5 << 3;
        QTest::newRow("mark") << "4800,m,6,1" << int(QSerialPort::MarkParity) << 6 << 1;
        QTest::newRow("space") << "115200,S,8,1" << int(QSerialPort::SpaceParity) << 8 << 1;
        QTest::newRow("odd baud") << "9601,N,8,1" << -1 << 0 << 0;
        QTest::newRow("nine data bits") << "9600,N,9,1" << -1 << 0 << 0;
        QTest::newRow("three stop bits") << "9600,N,8,3" << -1 << 0 << 0;
    }

    void lineSettingsAsQtTakesThem()
    {
        QFETCH(QString, text);
        QFETCH(int, parity);
        QFETCH(int, dataBits);
        QFETCH(int, stopBits);
        QtSerialPort port;
        QCOMPARE(port.setSettings(text), parity >= 0);
        if (parity < 0) {
            QCOMPARE(port.settings(), QStringLiteral("9600,n,8,1"));
            return;
        }
        const QtLineSettings qt = qtLineSettings(*parseSerialSettings(text));
        QCOMPARE(qt.baud, text.section(u',', 0, 0).toInt());
        QCOMPARE(int(qt.parity), parity);
        QCOMPARE(int(qt.dataBits), dataBits);
        QCOMPARE(int(qt.stopBits), stopBits);
    }

    void portRunsOnlyOnTheSettingsAskedFor()
    {
        QCOMPARE(QtSerialPort::devicePath(2), QStringLiteral("/dev/ttyS1"));
        TemporaryCurrentDir dir;
        std::string error;
        const auto line = PtyLink::create(dir.path().toStdString() + "/ttyTEST", error);
        QVERIFY2(line, error.c_str());
        qputenv("KESTRIN_COM1", QByteArray::fromStdString(line->linkPath()));

        // A pseudo-terminal has no parity and no one and a half stop bits.
        for (const char *refused : {"9600,E,8,1", "9600,N,8,1.5"}) {
            QtSerialPort port;
            QVERIFY(port.setSettings(QLatin1String(refused)));
            QVERIFY(!port.open());
            QVERIFY(!port.isOpen());
        }
        // Nor does the start-up run a port on other settings than its file's.
        {
            writeFile(QStringLiteral("kestrin.ini"), "COM1:9600,E,8,1");
            QtSerialPort port;
            FakePlatform fake;
            MainWindow w({port, fake.dialogs, fake.desktop, fake.clock, fake.printer});
            QCOMPARE(fake.dialogs.messageTexts(),
                     QStringList {"Error during opening the port, Select a Free Com Port"});
            QCOMPARE(w.Status->text(), QStringLiteral("Status Info"));
            QVERIFY(!port.isOpen() && !w.menuCloseComPort->isEnabled());
            QCOMPARE(line->read(100), std::string());
        }

        QtSerialPort port;
        QVERIFY(port.setCommPort(1) && port.open());
        QtSerialPort second; // a port in use cannot be opened twice
        QVERIFY(second.setCommPort(1) && !second.open());
        QVERIFY(port.write(QByteArray("X\r\x03\b", 4)));
        QCOMPARE(line->read(1000), std::string("X\r\x03\b", 4));
        QSignalSpy ready(&port, &SerialPort::readyRead);
        QVERIFY(line->write("X\r\n\t1\r\n>"));
        QVERIFY(ready.wait(2000));
        QByteArray received = port.readAll();
        QTRY_COMPARE_WITH_TIMEOUT((received += port.readAll()), QByteArray("X\r\n\t1\r\n>"), 2000);

        // The far end goes away: the port closes itself, once, with no storm of errors.
        QSignalSpy lost(&port, &SerialPort::lost);
        line->hangUp();
        QVERIFY(lost.wait(2000));
        QVERIFY(!port.isOpen() && !port.write("X\r"));
        QTest::qWait(100);
        QCOMPARE(lost.size(), 1);
        qunsetenv("KESTRIN_COM1");
    }

    void boxesShowExactlyTheirTitles()
    {
        // The window system adds no name of its own to a title.
        setUpApplication();
        QCOMPARE(QGuiApplication::applicationDisplayName(), QGuiApplication::applicationName());

        QtDialogs dialogs;
        QStringList titles;
        whenTheBoxIsUp([&](QWidget *box) {
            titles << box->windowTitle();
            static_cast<QInputDialog *>(box)->setTextValue(QStringLiteral("10"));
            static_cast<QDialog *>(box)->accept();
        });
        QCOMPARE(dialogs.input(QStringLiteral("Samples?"), QStringLiteral("Number Of Samples"),
                               QStringLiteral("100")),
                 QStringLiteral("10"));
        // A doubtful store: Enter takes the default, and the default is Cancel.
        whenTheBoxIsUp([&](QWidget *box) {
            auto *question = static_cast<QMessageBox *>(box);
            QVERIFY(question->button(QMessageBox::Ok));
            question->defaultButton()->click();
        });
        QCOMPARE(dialogs.message(QStringLiteral("Store the zero point all the same?"),
                                 MessageButtons::OkCancelSafe, MessageIcon::Question, {}),
                 MessageResult::Cancel);
        // Cancel is no answer, whatever the box offered.
        whenTheBoxIsUp([&](QWidget *box) { static_cast<QDialog *>(box)->reject(); });
        QCOMPARE(dialogs.input(QStringLiteral("Relay ON Level"), QStringLiteral("Realy Settings"),
                               QStringLiteral("501")),
                 QString());
        whenTheBoxIsUp([&](QWidget *box) {
            titles << box->windowTitle();
            static_cast<QMessageBox *>(box)->button(QMessageBox::Cancel)->click();
        });
        QCOMPARE(dialogs.message(QStringLiteral("Relay ON Level:  501\rPlease Confirm"),
                                 MessageButtons::OkCancel, MessageIcon::None,
                                 QStringLiteral("Realy Settings")),
                 MessageResult::Cancel);
        QCOMPARE(titles, QStringList({"Number Of Samples", "Realy Settings"}));
    }

    void fileDialogNamesItsFiltersAndTakesATypedPath()
    {
        TemporaryCurrentDir dir;
        const QString path = writeParameterFile("T0 1\r\n", QStringLiteral("relay.par"));
        QtDialogs dialogs;
        QStringList filters;
        QString title;
        whenTheBoxIsUp([&](QWidget *box) {
            title = box->windowTitle();
            const auto *types = box->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
            for (int i = 0; i < types->count(); ++i)
                filters << types->itemText(i);
            // "*.*" stands for every file, those without an extension too.
            QCOMPARE(static_cast<QFileDialog *>(box)->nameFilters().last(), u"All files(*.*) (*)");
            box->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
            static_cast<QDialog *>(box)->accept();
        });
        QCOMPARE(dialogs.openFileName(QStringLiteral("Open Parameter File"),
                                      QStringLiteral("Parameters(*.par)|*.par|All files(*.*)|*.*"),
                                      QString()),
                 path);
        QCOMPARE(title, QStringLiteral("Open Parameter File"));
        QCOMPARE(filters, QStringList({"Parameters(*.par)", "All files(*.*)"}));
    }
};

QTEST_MAIN(QtPlatformTest)
#include "tst_qt_platform.moc"
