// The reading poll: which replies are readings, what the display and the
// trend make of them, when the poll runs, and how it fails; and the trend's
// marks of events and time labels.

#include "measure/reading_record.h"
#include "shell/frame.h"
#include "shell/trend_view.h"
#include "window_fixture.h"

#include <QAction>
#include <QChartView>
#include <QGraphicsTextItem>

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
        QCOMPARE(f.w().Status->text(),
                 lowIr ? QStringLiteral("Transmitter Failure, IR-signal Low!")
                       : QStringLiteral("Serial Connection OK"));
        QCOMPARE(statusColour(f.w().Status), lowIr ? 255 : 0);
        QCOMPARE(f.fake.desktop.beeps, lowIr ? 1 : 0);
    }

    void readoutCaptionsStandBesideTheirValues()
    {
        LinkedWindowFixture f;
        f.startLinked();
        f.w().show();
        f.transmitter.setReading(20001, 30002, 403, 399);
        f.poll();
        f.w().StatusFrame_DblClick();
        // Each value as the technician reads it: the caption to its left on
        // the same line, then the value.
        const QList<QLabel *> labels = f.w().StatusFrame->findChildren<QLabel *>();
        QStringList read;
        for (QLabel *value : labels) {
            if (!value->isVisible() || value->text().endsWith(u'=') || value == f.w().Status)
                continue;
            QLabel *caption = nullptr;
            for (QLabel *c : labels) {
                const QRect r = c->geometry();
                if (c->isVisible() && c->text().endsWith(u'=')
                    && qAbs(r.center().y() - value->geometry().center().y()) < 3
                    && r.right() < value->geometry().left()
                    && (!caption || r.right() > caption->geometry().right()))
                    caption = c;
            }
            read << (caption ? caption->text() : QStringLiteral("?")) + u' ' + value->text();
        }
        read.sort();
        QCOMPARE(read, QStringList({"Rx = 20001", "Tx = 30002", "avg = 399", "ppm = 403"}));
    }

    void pollRunsTwoSecondsAfterEachExchangeAndRecovers()
    {
        LinkedWindowFixture f;
        f.startLinked();
        QList<qint64> sent;
        f.transmitter.onCommand
            = [&](const QByteArray &) { sent << f.fake.clock.steadyMilliseconds(); };
        f.transmitter.answerRaw("X", {{ScriptedTransmitter::reading(20000, 30000, 400, 400)}, 40});
        f.fake.clock.advance(4100);
        f.w().ZeroButton->click();
        // A silent transmitter: the 500 ms time-out, a beep, the run ended.
        f.transmitter.silence("X");
        f.fake.clock.advance(4600);
        QCOMPARE(sent, (QList<qint64> {2000, 4040, 4100, 4105, 6110, 8610}));
        QCOMPARE(f.fake.desktop.beeps, 2);
        QCOMPARE(f.w().Status->text(),
                 QStringLiteral("Transmitter Not Responding, Check Com and Cables"));
        QCOMPARE(statusColour(f.w().Status), 255);
        QCOMPARE(f.w().ppmDisplay->text(), QStringLiteral("????"));
        QVERIFY(isIdle(f.w()));
        // The poll goes on, and the window recovers by itself; a malformed reply
        // still shows the link as working and changes nothing else.
        f.transmitter.answer("X", "  1234 5678");
        f.polls(2);
        QCOMPARE(f.w().Status->text(), QStringLiteral("Serial Connection OK"));
        QCOMPARE(f.w().ppmDisplay->text(), QStringLiteral("????"));
        f.transmitter.setReading(20000, 30000, 400, 400);
        f.poll();
        QCOMPARE(f.w().ppmDisplay->text(), QStringLiteral("400"));
    }

    void pollsGoOnBehindTheEndOfARun()
    {
        LinkedWindowFixture f;
        f.startLinked();
        f.w().session().NumberOfSamples = 1;
        f.w().ZeroButton->click();
        // The technician leaves "Zero Point Set And Saved" open for 20 seconds.
        QStringList statusBehindTheBox;
        f.fake.dialogs.whileOpen = [&](const ShownBox &box) {
            if (box.text != u"Zero Point Set And Saved")
                return;
            f.transmitter.setReading(20000, 30000, 400, 455);
            f.fake.clock.advance(20000);
            statusBehindTheBox << f.w().Status->text() << f.w().ppmDisplay->text();
        };
        f.forget();
        f.poll();
        QCOMPARE(f.transmitter.commands.count("X"), 10);
        QCOMPARE(f.transmitter.commands.count("SAVE"), 1);
        QCOMPARE(statusBehindTheBox, QStringList({"Serial Connection OK", "460"}));
        QCOMPARE(f.w().session().SampleCount, 1);
        QVERIFY(isIdle(f.w()));
    }

    void trendKeepsTheRecentPastAndMarksSamples()
    {
        LinkedWindowFixture f;
        f.startLinked();
        const auto *trend = f.w().findChild<TrendView *>();
        QVERIFY(!trend->drawsRelayLevels());
        f.transmitter.setReading(20000, 30000, 111, 455);
        f.polls(3);
        QCOMPARE(trend->readings().at(0).ppm, 455.0); // the averaged concentration
        f.w().session().NumberOfSamples = 2;
        f.w().ZeroButton->click();
        f.polls(4);
        QCOMPARE(trend->drawnReadings(), 7);
        QCOMPARE(trend->drawnSamples(), 2);
        // The relay levels are drawn once the transmitter has named them.
        f.fake.dialogs.inputAnswers << QString() << QString();
        f.w().menuRelayTriggerPoint->trigger();
        QVERIFY(trend->drawsRelayLevels());
        // A long run of polls keeps the last hour and draws the last ten minutes.
        f.polls(3000);
        QCOMPARE(trend->readings().size(), 1796u);
        QCOMPARE(trend->drawnReadings(), 300);
    }

    void trendBreaksWhereNoReadingCame()
    {
        LinkedWindowFixture f;
        f.startLinked();
        const auto *trend = f.w().findChild<TrendView *>();
        const auto readings = [&](int count) {
            f.transmitter.setReading(20000, 30000, 400, 400);
            f.polls(count);
        };
        readings(3);
        f.transmitter.silence("X"); // a poll without a reply
        f.poll();
        readings(2);
        f.transmitter.answer("X", "  1234 5678"); // replies that are no reading,
        f.poll();
        readings(1); // and one reading alone between them
        f.transmitter.answer("X", "  1234 5678");
        f.polls(2);
        readings(2);
        // The adapter pulled and back within a second; the next poll reads.
        f.fake.clock.advance(500);
        f.fake.port.vanish();
        f.fake.clock.advance(1500);
        readings(4);
        // The port closed by the technician and opened ten seconds later.
        f.w().menuCloseComPort->trigger();
        f.fake.clock.advance(10'000);
        f.w().menuCom[1]->trigger();
        readings(2);
        QCOMPARE(trend->drawnPieces(), (QList<qsizetype> {3, 2, 1, 2, 5, 2}));
        // One break for each time away, however long.
        QCOMPARE(trend->readings().size(), 20u);
    }

    void trendMarksMoveOnAndItsTimeLabelsAreWhole()
    {
        FakeClock clock;
        TrendView trend(clock);
        trend.resize(640, 320);
        trend.show();
        // The fake clock starts at 14:05:00: on the two-minute axis a label
        // stands exactly at its right end, and is whole.
        trend.setSpanMinutes(2);
        auto *view = trend.findChild<QChartView *>();
        QStringList labels;
        for (QGraphicsItem *item : view->scene()->items()) {
            const auto *text = qgraphicsitem_cast<QGraphicsTextItem *>(item);
            if (text && text->isVisible()) {
                labels << text->toPlainText();
                QVERIFY(view->viewport()->rect().contains(
                    view->mapFromScene(text->sceneBoundingRect()).boundingRect()));
            }
        }
        QVERIFY(labels.contains(QStringLiteral("14:05:00")));

        const auto positions = [&] {
            trend.redraw();
            QList<double> xs;
            for (const TrendView::DrawnMarker &marker : trend.drawnMarkers())
                xs << marker.x;
            return xs;
        };
        trend.setSpanMinutes(10);
        trend.addMarker(QStringLiteral("Zero stored"));
        clock.advance(5 * 60'000);
        trend.addMarker(QStringLiteral("Span undone"));
        QCOMPARE(trend.drawnMarkers()[1].label, QStringLiteral("Span undone"));
        // Five minutes apart on a ten-minute axis: half the plot between them;
        // two and a half minutes on, both have moved left by half of that.
        const QList<double> before = positions();
        const double half = before[1] - before[0];
        QVERIFY(half > 200);
        clock.advance(150'000);
        const QList<double> after = positions();
        QCOMPARE(qRound(before[0] - after[0]), qRound(half / 2));
        QCOMPARE(qRound(before[1] - after[1]), qRound(half / 2));
        // Past the start of the axis a mark is not drawn.
        clock.advance(150'001);
        QCOMPARE(positions().size(), 1);
    }
};

QTEST_MAIN(ReadingPollTest)
#include "tst_reading_poll.moc"
