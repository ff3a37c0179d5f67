// The readings as the window shows them: the readout beside its captions, the
// trend with its samples, relay levels, breaks, marks and time labels.

#include "shell/frame.h"
#include "shell/trend_view.h"
#include "window_fixture.h"

#include <QAction>
#include <QChartView>
#include <QGraphicsTextItem>

class TrendAndReadoutTest : public QObject {
    Q_OBJECT

private slots:
    void readoutCaptionsStandBesideTheirValues()
    {
        LinkedWindowFixture f;
        f.startLinked();
        MainWindow &w = f.w();
        w.show();
        f.transmitter.setReading(20001, 30002, 403, 399);
        f.poll();
        w.StatusFrame_DblClick();
        // Each value as the technician reads it: the caption to its left on
        // the same line, then the value.
        QStringList read;
        for (const QLabel *caption : w.Label1)
            for (const QLabel *value : {w.RxLabel, w.TxLabel, w.ppmLabel, w.avgLabel})
                if (value->isVisible() && qAbs(value->y() - caption->y()) < 3
                    && value->x() > caption->x() + caption->width())
                    read << caption->text() + u' ' + value->text();
        read.sort();
        QCOMPARE(read, QStringList({"Rx = 20001", "Tx = 30002", "avg = 399", "ppm = 403"}));
    }

    void trendBreaksWhereNoReadingCameAndKeepsTheRecentPast()
    {
        LinkedWindowFixture f;
        f.startLinked();
        const auto *trend = f.w().findChild<TrendView *>();
        const auto readings = [&](int count) { f.readings(QList<double>(count, 400)); };
        readings(3);
        f.transmitter.silence("X"); // a poll without a reply
        f.poll();
        readings(2);
        f.transmitter.answer("X", "  1234 5678"); // replies that are no reading,
        f.poll();
        readings(1); // and one reading alone between them
        f.transmitter.answer("X", "  1234 5678");
        f.poll(2);
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

        // The averaged concentration is drawn, and a run's samples marked.
        f.transmitter.setReading(20000, 30000, 111, 455);
        f.poll();
        QCOMPARE(trend->readings().at(trend->readings().size() - 1).ppm, 455.0);
        f.w().session().NumberOfSamples = 2;
        f.w().ZeroButton->click();
        f.poll(4);
        QCOMPARE(trend->drawnSamples(), 2);
        // The relay levels are drawn once the transmitter has named them.
        QVERIFY(!trend->drawsRelayLevels());
        f.fake.dialogs.inputAnswers << QString() << QString();
        f.w().menuRelayTriggerPoint->trigger();
        QVERIFY(trend->drawsRelayLevels());
        // A long run of polls keeps the last hour and draws the last ten
        // minutes; the panel finds the gas settled, at its level.
        f.poll(3000);
        QCOMPARE(trend->readings().size(), 1796u);
        QCOMPARE(trend->drawnReadings(), 300);
        QCOMPARE(f.w().findChild<QLabel *>(QStringLiteral("settledVerdict"))->text() + u' '
                     + f.w().findChild<QLabel *>(QStringLiteral("recentMean"))->text(),
                 QStringLiteral("settled 111.0"));
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

QTEST_MAIN(TrendAndReadoutTest)
#include "tst_trend_and_readout.moc"
