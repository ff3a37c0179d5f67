// A device that vanishes under the open port and comes back, the wait for it,
// and what the status bar and the Com menu say about the link meanwhile.

#include "window_fixture.h"

#include <QAction>
#include <QMenu>
#include <QTest>

namespace {

QString linkState(const MainWindow &w)
{
    return w.findChild<QLabel *>(QStringLiteral("linkState"))->text();
}

int checkedComItem(const MainWindow &w)
{
    for (int n = 1; n <= 4; ++n)
        if (w.menuCom[size_t(n)]->isChecked())
            return n;
    return 0;
}

} // namespace

class PortReopeningTest : public QObject {
    Q_OBJECT

private slots:
    void deviceLostDuringAZeroRunIsReopenedWhenItReturns()
    {
        LinkedWindowFixture f;
        f.startLinked();
        MainWindow &w = f.w();
        w.session().NumberOfSamples = 2;
        w.ZeroButton->click();
        f.poll();
        QCOMPARE(w.session().SampleCount, 1);
        f.forget();
        f.fake.port.existing.erase(1);
        f.fake.port.vanish();
        QCOMPARE(w.Status->text(), QStringLiteral("Com Port is Closed"));
        QCOMPARE(statusColour(w.Status), 255);
        QCOMPARE(w.ppmDisplay->text(), QStringLiteral("????"));
        QCOMPARE(f.fake.desktop.beeps, 1);
        QVERIFY(isIdle(w));

        // Once a second, and nothing on the line while the device is away.
        const int attempts = f.fake.port.openAttempts;
        f.fake.clock.advance(5000);
        QCOMPARE(f.fake.port.openAttempts, attempts + 5);
        QVERIFY(f.fake.port.written.isEmpty());

        // It comes back, but the first end-of-text does not get through.
        f.fake.port.existing.insert(1);
        f.fake.port.failWrites = true;
        f.fake.clock.advance(1000);
        QVERIFY(!f.fake.port.isOpen());
        f.fake.port.failWrites = false;
        f.fake.clock.advance(1000);
        QVERIFY(f.fake.port.isOpen());
        QCOMPARE(w.Status->text(), QStringLiteral("Com Port is Open"));
        QCOMPARE(statusColour(w.Status), 0);
        QCOMPARE(readFile(QStringLiteral("kestrin.ini")), QByteArray("COM1:9600,N,8,1"));

        // Polls again; the broken run takes no sample and stores nothing.
        f.fake.clock.advance(6000);
        QCOMPARE(f.fake.port.writes, (QList<QByteArray> {"\x03", "X\r", "X\r", "X\r"}));
        QCOMPARE(w.Status->text(), QStringLiteral("Serial Connection OK"));
        QCOMPARE(w.ppmDisplay->text(), QStringLiteral("400"));
        QVERIFY(isIdle(w));
    }

    void linkStateFollowsTheTechnicianAndTheDevice_data()
    {
        QTest::addColumn<QByteArray>("settingsFile");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("linkState");
        QTest::addColumn<int>("checked"); // the Com item checked; 0: none
        QTest::addColumn<bool>("closeEnabled");
        QTest::addColumn<int>("endsOfText"); // on the wire, the start-up's included
        QTest::addColumn<bool>("retrying");

        const QByteArray com1("COM1:9600,N,8,1");
        const QString open1 = QStringLiteral("COM1 on /dev/ttyFAKE1, 9600,N,8,1");
        const QString open2 = QStringLiteral("COM2 on /dev/ttyFAKE2, 9600,N,8,1");
        const QString none = QStringLiteral("No Com port open");
        QTest::newRow("opened at start-up")
            << QByteArray("COM3:19200,e,7,2") << QStringList()
            << "COM3 on /dev/ttyFAKE3, 19200,E,7,2" << 3 << true << 1 << false;
        QTest::newRow("device vanished")
            << com1 << QStringList {"vanish"}
            << "COM1 on /dev/ttyFAKE1: waiting for the device to return" << 0 << true << 1 << true;
        QTest::newRow("device back")
            << com1 << QStringList {"vanish", "return"} << open1 << 1 << true << 2 << false;
        QTest::newRow("another port chosen while waiting")
            << com1 << QStringList {"vanish", "Com2", "return"} << open2 << 2 << true << 1 << false;
        QTest::newRow("closed while waiting") << com1 << QStringList {"vanish", "close", "return"}
                                              << none << 0 << false << 1 << false;
        QTest::newRow("window closed while waiting")
            << com1 << QStringList {"vanish", "window", "return"} << none << 0 << true << 1
            << false;
    }

    void linkStateFollowsTheTechnicianAndTheDevice()
    {
        QFETCH(QByteArray, settingsFile);
        QFETCH(QStringList, steps);
        QFETCH(QString, linkState);
        QFETCH(int, checked);
        QFETCH(bool, closeEnabled);
        QFETCH(int, endsOfText);
        QFETCH(bool, retrying);

        WindowFixture f;
        writeFile(QStringLiteral("kestrin.ini"), settingsFile);
        f.start();
        MainWindow &w = f.w();
        for (const QString &step : steps) {
            if (step == u"vanish") {
                f.fake.port.existing.erase(1);
                f.fake.port.vanish();
                f.fake.clock.advance(1500);
            } else if (step == u"return") {
                f.fake.port.existing.insert(1);
                f.fake.clock.advance(1000);
            } else if (step == u"close") {
                w.menuCloseComPort->trigger();
            } else if (step == u"window") {
                w.close();
            } else {
                w.menuCom[size_t(step.back().digitValue())]->trigger();
            }
        }
        QCOMPARE(::linkState(w), linkState);
        QCOMPARE(checkedComItem(w), checked);
        QCOMPARE(w.menuCloseComPort->isEnabled(), closeEnabled);
        QCOMPARE(f.fake.port.written.count('\x03'), endsOfText);
        const int attempts = f.fake.port.openAttempts;
        f.fake.clock.advance(3000);
        QCOMPARE(f.fake.port.openAttempts > attempts, retrying);
    }

    void comItemsNameTheirDevices()
    {
        WindowFixture f;
        f.start();
        MainWindow &w = f.w();
        QVERIFY(w.menuComSettings->toolTipsVisible());
        // The ports are looked up as the menu opens, not at start-up.
        QVERIFY(w.menuCom[2]->statusTip().isEmpty());
        emit w.menuComSettings->aboutToShow();
        QCOMPARE(w.menuCom[2]->toolTip(),
                 QStringLiteral("COM2 on /dev/ttyFAKE2 (Fake USB serial, serial number FK2)"));
        QCOMPARE(w.menuCom[2]->statusTip(), w.menuCom[2]->toolTip());
        // The adapter is pulled out: the menu says so the next time it opens.
        f.fake.port.existing.erase(2);
        emit w.menuComSettings->aboutToShow();
        QCOMPARE(w.menuCom[2]->statusTip(), QStringLiteral("COM2 on /dev/ttyFAKE2"));
    }
};

QTEST_MAIN(PortReopeningTest)

#include "tst_port_reopening.moc"
