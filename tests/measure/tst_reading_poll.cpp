// The reading poll of a session: which replies are readings, what the display
// makes of them, when the poll runs, and how it fails.

#include "measure/reading_record.h"
#include "session_fixture.h"

class ReadingPollTest : public QObject {
    Q_OBJECT

private slots:
    void recordShapeDecidesWhatIsRead_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QList<double>>("fields"); // empty: no record
        const QByteArray record = "  1234\t  5678\t   410    412   25.0 OK  \r\n>";
        const QList<double> read {1234, 5678, 410, 412};
        QTest::newRow("45 with echo cut") << "X\r\n" + record << read;
        QTest::newRow("44 with data at 3") << "X\r" + record.left(41) + ">" << QList<double> {};
        QTest::newRow("no prompt last") << record.left(41) + "\n" << QList<double> {};
        QTest::newRow("short record, letters read as 0")
            << QByteArray("  abcd\t -12.5\t1e2>") << QList<double> {0, -12.5, 100, 0};
    }

    void recordShapeDecidesWhatIsRead()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QList<double>, fields);
        cutToRecord(reply);
        QCOMPARE(hasRecordShape(reply), !fields.isEmpty());
        if (!fields.isEmpty()) {
            const Reading r = readRecord(reply);
            QCOMPARE((QList<double> {r.rx, r.tx, r.ppm, r.avg}), fields);
        }
    }

    void displayFollowsTheReading_data()
    {
        QTest::addColumn<double>("rx");
        QTest::addColumn<double>("tx");
        QTest::addColumn<double>("avg");
        QTest::addColumn<QString>("display"); // after a reading of 400 ppm
        QTest::addColumn<QString>("status");
        const auto row = [](const char *name, double rx, double tx, double avg, const char *display,
                            const char *status = "Serial Connection OK|black") {
            QTest::newRow(name) << rx << tx << avg << QString(display) << QString(status);
        };
        row("455 up", 20000, 30000, 455, "460 ppm");
        row("445 half away", 20000, 30000, 445, "450 ppm");
        row("454.9 down", 20000, 30000, 454.9, "450 ppm");
        row("9999.9 still ppm", 20000, 30000, 9999.9, "10000 ppm");
        row("10000 percent", 20000, 30000, 10000, "1.00 %");
        row("12345 percent", 20000, 30000, 12345, "1.23 %");
        // The unit stays as it was.
        row("no light", 0, 0, 400, ".... ppm");
        row("no CO2 signal", 20000, -5, 400, "---- ppm");
        row("negative reference: kept", -3, 0, 400, "400 ppm");
        // A weak IR signal is warned of, and the reading still shown.
        const char *weak = "Transmitter Failure, IR-signal Low!|red";
        row("IR 999 low", 999, 30000, 455, "460 ppm", weak);
        row("IR 1 low", 1, 30000, 455, "460 ppm", weak);
        row("IR 1000 enough", 1000, 30000, 455, "460 ppm");
    }

    void displayFollowsTheReading()
    {
        QFETCH(double, rx);
        QFETCH(double, tx);
        QFETCH(double, avg);
        QFETCH(QString, display);
        QFETCH(QString, status);
        SessionFixture f;
        f.readings({400});
        f.transmitter.setReading(rx, tx, 400, avg);
        f.poll();
        QCOMPARE(f.s.displayValue() + u' ' + f.s.displayUnit(), display);
        QCOMPARE(f.s.status().text + u'|' + colourName(f.s.status().colour), status);
        QCOMPARE(f.fake.desktop.beeps, status.endsWith(u"red") ? 1 : 0);
    }

    void pollRunsTwoSecondsAfterEachExchangeAndRecovers()
    {
        SessionFixture f;
        QList<qint64> sent;
        f.transmitter.onCommand
            = [&](const QByteArray &) { sent << f.fake.clock.steadyMilliseconds(); };
        f.transmitter.answerRaw("X", {{ScriptedTransmitter::reading(20000, 30000, 400, 400)}, 40});
        f.fake.clock.advance(4100);
        f.start(CalibrationKind::Zero);
        // A silent transmitter: the 500 ms time-out, a beep, the run ended.
        f.transmitter.silence("X");
        f.fake.clock.advance(4600);
        QCOMPARE(sent, (QList<qint64> {2000, 4040, 4100, 4105, 6110, 8610}));
        QCOMPARE(f.fake.desktop.beeps, 2);
        QCOMPARE(f.s.status().text + u'|' + colourName(f.s.status().colour),
                 QStringLiteral("Transmitter Not Responding, Check Com and Cables|red"));
        QCOMPARE(f.s.displayValue(), QStringLiteral("????"));
        QVERIFY(!f.s.calibrationRunning());
        // The poll goes on, and the session recovers by itself; a malformed
        // reply still shows the link as working and changes nothing else.
        f.transmitter.answer("X", "  1234 5678");
        f.poll(2);
        QCOMPARE(f.s.status().text, QStringLiteral("Serial Connection OK"));
        QCOMPARE(f.s.displayValue(), QStringLiteral("????"));
        f.readings({400});
        QCOMPARE(f.s.displayValue(), QStringLiteral("400"));
    }

    void pollsGoOnBehindTheEndOfARun()
    {
        SessionFixture f;
        f.s.NumberOfSamples = 1;
        f.start(CalibrationKind::Zero);
        // The technician leaves "Zero Point Set And Saved" open for 20 seconds.
        QStringList behindTheBox;
        f.fake.dialogs.whileOpen = [&](const ShownBox &box) {
            if (box.text != u"Zero Point Set And Saved")
                return;
            f.transmitter.setReading(20000, 30000, 400, 455);
            f.fake.clock.advance(20000);
            behindTheBox << f.s.status().text << f.s.displayValue();
        };
        f.forget();
        f.poll();
        QCOMPARE(f.transmitter.commands.count("X"), 10);
        QCOMPARE(f.transmitter.commands.count("SAVE"), 1);
        QCOMPARE(behindTheBox, QStringList({"Serial Connection OK", "460"}));
        QCOMPARE(f.s.SampleCount, 1);
        QVERIFY(!f.s.calibrationRunning());
    }
};

QTEST_MAIN(ReadingPollTest)
#include "tst_reading_poll.moc"
