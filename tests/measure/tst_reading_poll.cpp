#include "tst_poll_on_pty.h"

#include "measure/reading_record.h"
#include "shell/frame.h"
#include "test_main.h"
#include "window_fixture.h"

#include <QPushButton>

class ReadingPollTest : public QObject {
    Q_OBJECT

private slots:
    void recordShapeDecidesWhatIsRead_data();
    void recordShapeDecidesWhatIsRead();
    void displayFollowsTheReading_data();
    void displayFollowsTheReading();
    void malformedReplyChangesNothingButTheStatus();
    void lowIrSignalWarnsAndStillShowsTheReading_data();
    void lowIrSignalWarnsAndStillShowsTheReading();
    void silentTransmitterIsReportedAndCalibrationEnds();
    void pollRunsTwoSecondsAfterTheLastExchange();
    void closedPortIsNotPolled();
    void doubleClickShowsAndHidesTheRawValues();
};

void ReadingPollTest::recordShapeDecidesWhatIsRead_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QList<double>>("fields");
    const QByteArray record = "  1234\t  5678\t   410    412   25.0 OK  \r\n>";
    QCOMPARE(record.size(), 42);
    QTest::newRow("42 characters whole") << record << true << QList<double> {1234, 5678, 410, 412};
    QTest::newRow("45 with echo cut")
        << "X\r\n" + record << true << QList<double> {1234, 5678, 410, 412};
    QTest::newRow("long reply keeps its end")
        << "garbage>X\r\n" + record << true << QList<double> {1234, 5678, 410, 412};
    QTest::newRow("44 with data at 3")
        << "X\r" + record.left(41) + ">" << false << QList<double> {};
    QTest::newRow("no tab at 7") << QByteArray(record).replace(6, 1, " ") << false
                                 << QList<double> {};
    QTest::newRow("no tab at 14") << QByteArray(record).replace(13, 1, " ") << false
                                  << QList<double> {};
    QTest::newRow("no prompt last") << record.left(41) + "\n" << false << QList<double> {};
    QTest::newRow("short fields") << QByteArray("12\t3\t\t>").rightJustified(7, ' ') << false
                                  << QList<double> {};
    QTest::newRow("short record") << QByteArray("    12\t    34\t5>") << true
                                  << QList<double> {12, 34, 5, 0};
    QTest::newRow("letters read as 0")
        << QByteArray("  abcd\t -12.5\t 1e2x \r\n>") << true << QList<double> {0, -12.5, 100, 0};
    QTest::newRow("empty") << QByteArray() << false << QList<double> {};
}

void ReadingPollTest::recordShapeDecidesWhatIsRead()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, valid);
    QFETCH(QList<double>, fields);
    cutToRecord(reply);
    QCOMPARE(hasRecordShape(reply), valid);
    if (valid) {
        const Reading r = readRecord(reply);
        QCOMPARE((QList<double> {r.rx, r.tx, r.ppm, r.avg}), fields);
    }
}

void ReadingPollTest::displayFollowsTheReading_data()
{
    QTest::addColumn<double>("rx");
    QTest::addColumn<double>("tx");
    QTest::addColumn<double>("avg");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("unit");
    QTest::newRow("455 up") << 20000.0 << 30000.0 << 455.0 << "460"
                            << "ppm";
    QTest::newRow("445 half away") << 20000.0 << 30000.0 << 445.0 << "450"
                                   << "ppm";
    QTest::newRow("454.9 down") << 20000.0 << 30000.0 << 454.9 << "450"
                                << "ppm";
    QTest::newRow("9999.9 still ppm") << 20000.0 << 30000.0 << 9999.9 << "10000"
                                      << "ppm";
    QTest::newRow("10000 percent") << 20000.0 << 30000.0 << 10000.0 << "1.00"
                                   << "%";
    QTest::newRow("12345 percent") << 20000.0 << 30000.0 << 12345.0 << "1.23"
                                   << "%";
    QTest::newRow("negative") << 20000.0 << 30000.0 << -4.0 << "0"
                              << "ppm";
    QTest::newRow("no light") << 0.0 << 0.0 << 400.0 << "...."
                              << "ppm ";
    QTest::newRow("no CO2 signal") << 20000.0 << -5.0 << 400.0 << "----"
                                   << "ppm ";
    QTest::newRow("negative reference") << -3.0 << 0.0 << 400.0 << "-----"
                                        << "ppm ";
}

void ReadingPollTest::displayFollowsTheReading()
{
    QFETCH(double, rx);
    QFETCH(double, tx);
    QFETCH(double, avg);
    QFETCH(QString, display);
    QFETCH(QString, unit);
    LinkedWindowFixture f;
    f.startLinked();
    f.transmitter.setReading(rx, tx, 400, avg);
    f.poll();
    QCOMPARE(f.w().ppmDisplay->text(), display);
    QCOMPARE(f.w().ppmText->text(), unit);
    QCOMPARE(f.w().Status->text(), QStringLiteral("Serial Connection OK"));
    QCOMPARE(statusColour(f.w().Status), 0);
    QCOMPARE(f.w().avgValue, std::optional<double>(avg));
    QCOMPARE(f.w().avgLabel->text(), QString::number(avg));
}

void ReadingPollTest::malformedReplyChangesNothingButTheStatus()
{
    LinkedWindowFixture f;
    f.startLinked();
    f.transmitter.setReading(20000, 30000, 410, 412);
    f.poll();
    QCOMPARE(f.w().ppmDisplay->text(), QStringLiteral("410"));
    // A 44-character reply whose record starts at the third character.
    QByteArray shifted = ScriptedTransmitter::reading(21000, 31000, 900, 900);
    shifted.remove(0, 1);
    f.transmitter.answerRaw("X", {{shifted}});
    f.fake.dialogs.shown.clear();
    f.w().setStatus(QStringLiteral("Com Port is Open"), StatusColour::Red);
    f.poll();
    QCOMPARE(f.w().Status->text(), QStringLiteral("Serial Connection OK"));
    QCOMPARE(statusColour(f.w().Status), 0);
    QCOMPARE(f.w().ppmDisplay->text(), QStringLiteral("410"));
    QCOMPARE(f.w().RxValue, std::optional<double>(20000));
    QCOMPARE(f.w().RxLabel->text(), QStringLiteral("20000"));
    QCOMPARE(f.fake.desktop.beeps, 0);
}

void ReadingPollTest::lowIrSignalWarnsAndStillShowsTheReading_data()
{
    QTest::addColumn<double>("rx");
    QTest::addColumn<bool>("warned");
    QTest::newRow("500") << 500.0 << true;
    QTest::newRow("999") << 999.0 << true;
    QTest::newRow("1") << 1.0 << true;
    QTest::newRow("1000") << 1000.0 << false;
    QTest::newRow("0") << 0.0 << false;
}

void ReadingPollTest::lowIrSignalWarnsAndStillShowsTheReading()
{
    QFETCH(double, rx);
    QFETCH(bool, warned);
    LinkedWindowFixture f;
    f.startLinked();
    f.transmitter.setReading(rx, 30000, 400, 455);
    f.poll();
    QCOMPARE(f.fake.desktop.beeps, warned ? 1 : 0);
    QCOMPARE(f.w().Status->text(),
             warned ? QStringLiteral("Transmitter Failure, IR-signal Low!")
                    : QStringLiteral("Serial Connection OK"));
    QCOMPARE(statusColour(f.w().Status), warned ? 255 : 0);
    QCOMPARE(f.w().ppmDisplay->text(), QStringLiteral("460"));
}

void ReadingPollTest::silentTransmitterIsReportedAndCalibrationEnds()
{
    LinkedWindowFixture f;
    f.startLinked();
    f.poll();
    f.w().ZeroCalibrationRunning = true;
    f.w().ZeroButton->setEnabled(false);
    f.w().SpanButton->setEnabled(false);
    f.w().CancelButton->setEnabled(true);
    f.transmitter.silence("X");
    f.poll();
    QCOMPARE(f.fake.desktop.beeps, 1);
    QCOMPARE(f.w().Status->text(),
             QStringLiteral("Transmitter Not Responding, Check Com and Cables"));
    QCOMPARE(statusColour(f.w().Status), 255);
    QCOMPARE(f.w().ppmDisplay->text(), QStringLiteral("????"));
    QVERIFY(!f.w().ZeroCalibrationRunning);
    QVERIFY(f.w().ZeroButton->isEnabled());
    QVERIFY(f.w().SpanButton->isEnabled());
    QVERIFY(!f.w().CancelButton->isEnabled());

    // The poll goes on, and the window recovers by itself.
    f.transmitter.setReading(20000, 30000, 400, 400);
    f.poll();
    QCOMPARE(f.w().Status->text(), QStringLiteral("Serial Connection OK"));
    QCOMPARE(f.w().ppmDisplay->text(), QStringLiteral("400"));
}

void ReadingPollTest::pollRunsTwoSecondsAfterTheLastExchange()
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

void ReadingPollTest::closedPortIsNotPolled()
{
    WindowFixture f;
    f.start();
    const QString status = f.w().Status->text();
    f.fake.clock.advance(10000);
    QVERIFY(f.fake.port.written.isEmpty());
    QCOMPARE(f.w().Status->text(), status);
    QCOMPARE(f.w().ppmDisplay->text(), QStringLiteral("-----"));
}

void ReadingPollTest::doubleClickShowsAndHidesTheRawValues()
{
    LinkedWindowFixture f;
    f.startLinked();
    const QList<QLabel *> labels {f.w().Label1[0], f.w().Label1[1], f.w().Label1[2],
                                  f.w().Label1[3], f.w().RxLabel,   f.w().TxLabel,
                                  f.w().ppmLabel,  f.w().avgLabel};
    QTest::mouseDClick(f.w().StatusFrame, Qt::LeftButton);
    for (QLabel *label : labels)
        QVERIFY(!label->isHidden());
    QCOMPARE(f.w().RxLabel->text(), QStringLiteral("--"));
    QTest::mouseDClick(f.w().StatusFrame, Qt::LeftButton);
    for (QLabel *label : labels)
        QVERIFY(label->isHidden());
    // Values arrive while hidden and are there when shown.
    f.transmitter.setReading(21000, 31000, 405.5, 410);
    f.poll();
    f.w().StatusFrame_DblClick();
    QCOMPARE(f.w().RxLabel->text(), QStringLiteral("21000"));
    QCOMPARE(f.w().TxLabel->text(), QStringLiteral("31000"));
    QCOMPARE(f.w().ppmLabel->text(), QStringLiteral("405.5"));
    QCOMPARE(f.w().avgLabel->text(), QStringLiteral("410"));
}

int main(int argc, char *argv[])
{
    return runTests<ReadingPollTest, PollOnPtyTest>(argc, argv);
}

#include "tst_reading_poll.moc"
