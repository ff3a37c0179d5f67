// The trend on its own: the marks of events on the time axis, which move on
// with the time, and the time labels, which are whole up to the present.

#include "fake_clock.h"
#include "measure/trend_view.h"

#include <QChartView>
#include <QGraphicsTextItem>
#include <QTest>

namespace {

struct TrendFixture {
    FakeClock clock;
    TrendView trend {clock};
    TrendFixture()
    {
        trend.resize(640, 320);
        trend.show();
        QVERIFY(QTest::qWaitForWindowExposed(&trend));
    }
    QList<double> markerPositions() const
    {
        QList<double> xs;
        for (const TrendView::DrawnMarker &marker : trend.drawnMarkers())
            xs << marker.x;
        return xs;
    }
};

} // namespace

class TrendViewTest : public QObject {
    Q_OBJECT

private slots:
    void markersMoveOnWithTheTrend()
    {
        TrendFixture f;
        f.trend.addReading(400, false);
        f.trend.addMarker(QStringLiteral("Zero stored"));
        f.clock.advance(5 * 60'000);
        f.trend.addMarker(QStringLiteral("Span undone"));
        QCOMPARE(f.trend.drawnMarkers().size(), 2);
        QCOMPARE(f.trend.drawnMarkers()[0].label, QStringLiteral("Zero stored"));
        QCOMPARE(f.trend.drawnMarkers()[1].label, QStringLiteral("Span undone"));
        // Five minutes apart on a ten-minute axis: half the plot between them.
        const QList<double> before = f.markerPositions();
        const double half = before[1] - before[0];
        QVERIFY(half > 200);
        // Two and a half minutes on, both have moved left by half of that.
        f.clock.advance(150'000);
        f.trend.redraw();
        const QList<double> after = f.markerPositions();
        QCOMPARE(qRound(before[0] - after[0]), qRound(half / 2));
        QCOMPARE(qRound(before[1] - after[1]), qRound(half / 2));
        // Past the left end of the axis a mark is no longer drawn; the longer
        // span still shows it.
        f.clock.advance(150'001);
        f.trend.redraw();
        QCOMPARE(f.trend.drawnMarkers().size(), 1);
        f.trend.setSpanMinutes(60);
        QCOMPARE(f.trend.drawnMarkers().size(), 2);
    }

    void timeLabelsAreWholeUpToThePresent()
    {
        // The fake clock starts at 14:05:00: on the two-minute axis a label
        // stands exactly at its right end.
        TrendFixture f;
        f.trend.setSpanMinutes(2);
        auto *view = f.trend.findChild<QChartView *>();
        QCoreApplication::processEvents();
        QStringList labels;
        for (QGraphicsItem *item : view->scene()->items()) {
            const auto *text = qgraphicsitem_cast<QGraphicsTextItem *>(item);
            if (!text || !text->isVisible() || text->toPlainText().isEmpty())
                continue;
            labels << text->toPlainText();
            const QRect shown = view->mapFromScene(text->sceneBoundingRect()).boundingRect();
            QVERIFY2(view->viewport()->rect().contains(shown), qPrintable(text->toPlainText()));
        }
        QVERIFY(labels.contains(QStringLiteral("14:05:00")));
    }
};

QTEST_MAIN(TrendViewTest)
#include "tst_trend_view.moc"
