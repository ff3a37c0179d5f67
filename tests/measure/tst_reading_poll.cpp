// The reading poll: which replies are readings, what the display makes of
// them, when the poll runs, and how it fails.

#include "measure/reading_record.h"
#include "pseudo_terminal.h"
#include "real_port_window.h"
#include "shell/frame.h"
#include "test_main.h"
#include "window_fixture.h"

#include <thread>

class ReadingPollTest : public QObject {
    Q_OBJECT

private slots:
    void recordShapeDecidesWhatIsRead_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QList<double>>("fields"); // empty: no record
        const QByteArray record = "  1234\t  5678\t   410    412   25.0 OK  \r\n>";
        const QList<double> read {1234, 5678, 410, 412};
        QTest::newRow("42 characters whole") << record << read;
        QTest::newRow("45 with echo cut") << "X\r\n" + record << read;
        QTest::newRow("long reply keeps its last 42") << "garbage>X\r\n" + record << read;
        QTest::newRow("44 with data at 3") << "X\r" + record.left(41) + ">" << QList<double> {};
        QTest::newRow("no tab at 7") << QByteArray(record).replace(6, 1, " ") << QList<double> {};
        QTest::newRow("no tab at 14") << QByteArray(record).replace(13, 1, " ") << QList<double> {};
        QTest::newRow("no prompt last") << record.left(41) + "\n" << QList<double> {};
        QTest::newRow("short record")
            << QByteArray("    12\t    34\t5>") << QList<double> {12, 34, 5, 0};
        QTest::newRow("letters read as 0")
            << QByteArray("  abcd\t -12.5\t 1e2x \r\n>") << QList<double> {0, -12.5, 100, 0};
        QTest::newRow("empty") << QByteArray() << QList<double> {};
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
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<bool>("lowIr");
        const auto row = [](const char *name, double rx, double tx, double avg, const char *display,
                            const char *unit = "ppm", bool lowIr = false) {
            QTest::newRow(name) << rx << tx << avg << QString(display) << QString(unit) << lowIr;
        };
        row("455 up", 20000, 30000, 455, "460");
        row("445 half away", 20000, 30000, 445, "450");
        row("454.9 down", 20000, 30000, 454.9, "450");
        row("9999.9 still ppm", 20000, 30000, 9999.9, "10000");
        row("10000 percent", 20000, 30000, 10000, "1.00", "%");
        row("12345 percent", 20000, 30000, 12345, "1.23", "%");
        row("negative", 20000, 30000, -4, "0");
        row("no light", 0, 0, 400, "....", "ppm ");
        row("no CO2 signal", 20000, -5, 400, "----", "ppm ");
        row("negative reference", -3, 0, 400, "-----", "ppm ");
        // A weak IR signal is warned of, and the reading still shown.
        row("IR 999 low", 999, 30000, 455, "460", "ppm", true);
        row("IR 1 low", 1, 30000, 455, "460", "ppm", true);
        row("IR 1000 enough", 1000, 30000, 455, "460");
    }

    void displayFollowsTheReading()
    {
        QFETCH(double, rx);
        QFETCH(double, tx);
        QFETCH(double, avg);
        QFETCH(QString, display);
        QFETCH(QString, unit);
        QFETCH(bool, lowIr);
        LinkedWindowFixture f;
        f.startLinked();
        f.transmitter.setReading(rx, tx, 400, avg);
        f.poll();
        QCOMPARE(f.w().ppmDisplay->text(), display);
        QCOMPARE(f.w().ppmText->text(), unit);
        QCOMPARE(f.w().avgValue, std::optional<double>(avg));
        QCOMPARE(f.w().Status->text(),
                 lowIr ? QStringLiteral("Transmitter Failure, IR-signal Low!")
                       : QStringLiteral("Serial Connection OK"));
        QCOMPARE(statusColour(f.w().Status), lowIr ? 255 : 0);
        QCOMPARE(f.fake.desktop.beeps, lowIr ? 1 : 0);
    }

    void silentTransmitterIsReportedAndCalibrationEnds()
    {
        LinkedWindowFixture f;
        f.transmitter.answer("T0", "T0 = 30000");
        f.transmitter.answer("R0", "R0 = 20000");
        f.startLinked();
        f.poll();
        f.w().ZeroButton->click();
        QVERIFY(f.w().ZeroCalibrationRunning);
        f.transmitter.silence("X");
        f.poll();
        QCOMPARE(f.fake.desktop.beeps, 1);
        QCOMPARE(f.w().Status->text(),
                 QStringLiteral("Transmitter Not Responding, Check Com and Cables"));
        QCOMPARE(statusColour(f.w().Status), 255);
        QCOMPARE(f.w().ppmDisplay->text(), QStringLiteral("????"));
        QVERIFY(isIdle(f.w()));

        // The poll goes on, and the window recovers by itself.
        f.transmitter.setReading(20000, 30000, 400, 400);
        f.poll();
        QCOMPARE(f.w().Status->text(), QStringLiteral("Serial Connection OK"));
        QCOMPARE(f.w().ppmDisplay->text(), QStringLiteral("400"));
    }

    void pollRunsTwoSecondsAfterTheLastExchange()
    {
        LinkedWindowFixture f;
        f.startLinked();
        QList<qint64> sent;
        f.transmitter.onCommand
            = [&](const QByteArray &) { sent << f.fake.clock.steadyMilliseconds(); };
        f.transmitter.answerRaw("X", {{ScriptedTransmitter::reading(20000, 30000, 400, 400)}, 40});
        f.fake.clock.advance(6200);
        QCOMPARE(sent, (QList<qint64> {2000, 4040, 6080}));
        // A silent transmitter: the 500 ms time-out, then 2000 ms.
        f.transmitter.silence("X");
        sent.clear();
        f.fake.clock.advance(6000);
        QCOMPARE(sent, (QList<qint64> {8120, 10620}));
    }

    void closedPortIsNotPolled()
    {
        WindowFixture f;
        f.start();
        const QString status = f.w().Status->text();
        f.fake.clock.advance(10000);
        QVERIFY(f.fake.port.written.isEmpty());
        QCOMPARE(f.w().Status->text(), status);
        QCOMPARE(f.w().ppmDisplay->text(), QStringLiteral("-----"));
    }

    void doubleClickShowsAndHidesTheRawValues()
    {
        LinkedWindowFixture f;
        f.startLinked();
        QTest::mouseDClick(f.w().StatusFrame, Qt::LeftButton);
        QVERIFY(!f.w().Label1[0]->isHidden() && !f.w().avgLabel->isHidden());
        QCOMPARE(f.w().RxLabel->text(), QStringLiteral("--"));
        f.w().StatusFrame_DblClick();
        QVERIFY(f.w().Label1[3]->isHidden() && f.w().RxLabel->isHidden());
        // Values arrive while hidden and are there when shown.
        f.transmitter.setReading(21000, 31000, 405.5, 410);
        f.poll();
        f.w().StatusFrame_DblClick();
        QCOMPARE((QStringList {f.w().RxLabel->text(), f.w().TxLabel->text(), f.w().ppmLabel->text(),
                               f.w().avgLabel->text()}),
                 (QStringList {"21000", "31000", "405.5", "410"}));
    }
};

// The real serial port and the real event loop on a pseudo-terminal.
class PollOnPtyTest : public QObject {
    Q_OBJECT

private slots:
    // A poll goes out and its reply, sent in two pieces, is gathered and shown.
    void pollGathersAReplyInPiecesFromARealPort()
    {
        TemporaryCurrentDir dir;
        PseudoTerminal line;
        QVERIFY(line.isValid());
        RealPortWindow program(line.slavePath());
        MainWindow &window = program.w();
        QCOMPARE(window.Status->text(), QStringLiteral("Com Port is Open"));
        QCOMPARE(line.read(), QByteArray("\x03"));

        const QByteArray reply = ScriptedTransmitter::reading(20000, 30000, 405, 455);
        QByteArray heard;
        std::thread transmitter([&] {
            heard = line.readUntil('\r', 2000);
            line.write(reply.left(20));
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            line.write(reply.mid(20));
        });
        window.Timer1_Timer();
        transmitter.join();

        QCOMPARE(heard, QByteArray("X\r"));
        QCOMPARE(window.RxBuffer, reply.right(42));
        QCOMPARE(window.ppmDisplay->text(), QStringLiteral("460"));
        QCOMPARE(window.Status->text(), QStringLiteral("Serial Connection OK"));
        QCOMPARE(program.desktop.beeps, 0);
    }
};

int main(int argc, char *argv[])
{
    return runTests<ReadingPollTest, PollOnPtyTest>(argc, argv);
}

#include "tst_reading_poll.moc"
