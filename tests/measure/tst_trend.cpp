// The live trend: what it keeps, what it draws, and that it costs the line
// nothing.

#include "measure/trend_buffer.h"
#include "measure/trend_view.h"
#include "test_main.h"
#include "window_fixture.h"

#include <QAction>

namespace {

// A linked window whose transmitter reads 410 ppm.
struct TrendFixture : LinkedWindowFixture {
    TrendFixture() { transmitter.setReading(20000, 30000, 410, 412); }
    TrendView *trend() { return w().findChild<TrendView *>(QStringLiteral("trendView")); }
};

} // namespace

class TrendTest : public QObject {
    Q_OBJECT

private slots:
    void bufferKeepsTheRecentPastWithinItsCapacity_data()
    {
        QTest::addColumn<qint64>("kept");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<qint64>("interval");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("size");
        QTest::addColumn<qint64>("oldest");
        QTest::newRow("fewer than either bound") << 60'000LL << 100 << 2000LL << 10 << 10 << 0LL;
        // 0 to 60 s: the reading exactly 60 s old stays.
        QTest::newRow("age bound") << 60'000LL << 100 << 2000LL << 100 << 31 << 138'000LL;
        QTest::newRow("capacity bound") << 3'600'000LL << 50 << 2000LL << 1000 << 50 << 1'900'000LL;
        QTest::newRow("readings far apart") << 60'000LL << 100 << 61'000LL << 5 << 1 << 244'000LL;
    }

    void bufferKeepsTheRecentPastWithinItsCapacity()
    {
        QFETCH(qint64, kept);
        QFETCH(int, capacity);
        QFETCH(qint64, interval);
        QFETCH(int, count);
        QFETCH(int, size);
        QFETCH(qint64, oldest);
        TrendBuffer buffer(kept, std::size_t(capacity));
        for (int i = 0; i < count; ++i)
            buffer.add({i * interval, double(i), false});
        QCOMPARE(buffer.size(), std::size_t(size));
        QCOMPARE(buffer.at(0).time, oldest);
        QCOMPARE(buffer.at(buffer.size() - 1).ppm, double(count - 1));
        // The search for a span's start.
        QCOMPARE(buffer.firstFrom(oldest), 0u);
        QCOMPARE(buffer.firstFrom(oldest + 1), std::min<std::size_t>(1, buffer.size()));
        QCOMPARE(buffer.firstFrom((count - 1) * interval + 1), buffer.size());
    }

    void longSoakKeepsTheTrendBounded()
    {
        TrendFixture f;
        f.startLinked();
        f.trend()->setSpanMinutes(60);
        // Three hours of polling, one reading every 2 s and a little: three times
        // what the trend keeps.
        const int polls = 3 * 60 * 30;
        f.polls(polls);
        // The last hour, and not one reading more.
        const std::size_t kept = f.trend()->readings().size();
        QVERIFY2(kept >= 1790 && kept <= 1801, qPrintable(QString::number(kept)));
        QCOMPARE(f.trend()->drawnReadings(), qsizetype(kept));
        // What went out is the poll and nothing else.
        QCOMPARE(f.fake.port.written, QByteArray("X\r").repeated(polls));
    }

    void replyWithoutAReadingAddsNoPoint_data()
    {
        QTest::addColumn<QList<QByteArray>>("pieces"); // none: silence
        const QByteArray good = ScriptedTransmitter::reading(20000, 30000, 410, 412);
        QTest::newRow("no tab at 7") << QList<QByteArray> {QByteArray(good).replace(9, 1, " ")};
        QTest::newRow("44 characters") << QList<QByteArray> {good.mid(1)};
        QTest::newRow("prompt alone") << QList<QByteArray> {">"};
        QTest::newRow("no prompt, so no reply") << QList<QByteArray> {good.chopped(1)};
        QTest::newRow("silence") << QList<QByteArray> {};
    }

    void replyWithoutAReadingAddsNoPoint()
    {
        QFETCH(QList<QByteArray>, pieces);
        TrendFixture f;
        f.startLinked();
        f.polls(3);
        if (pieces.isEmpty())
            f.transmitter.queueSilence("X");
        else
            f.transmitter.queue("X", {pieces});
        f.poll();
        QCOMPARE(f.trend()->readings().size(), 3u);
        QCOMPARE(f.trend()->drawnReadings(), 3);
        f.poll();
        QCOMPARE(f.trend()->readings().size(), 4u);
    }

    void spanShowsTheLastMinutes_data()
    {
        QTest::addColumn<int>("minutes");
        QTest::newRow("2 min") << 2;
        QTest::newRow("10 min") << 10;
        QTest::newRow("60 min") << 60;
    }

    void spanShowsTheLastMinutes()
    {
        QFETCH(int, minutes);
        TrendFixture f;
        f.startLinked();
        QCOMPARE(f.trend()->spanMinutes(), 10);
        f.polls(70 * 30);
        f.trend()
            ->findChild<QAbstractButton *>(QStringLiteral("trendSpan%1").arg(minutes))
            ->click();
        QCOMPARE(f.trend()->spanMinutes(), minutes);
        // A poll every 2005 ms (the reply takes 5 ms): 2 minutes hold 60 readings.
        QCOMPARE(f.trend()->drawnReadings(), int(minutes * 60'000 / 2005) + 1);
    }

    void samplesOfARunAreMarked()
    {
        TrendFixture f;
        f.transmitter.answer("T0", "T0 = 30000");
        f.transmitter.answer("R0", "R0 = 20000");
        f.startLinked();
        f.polls(4);
        f.w().NumberOfSamples = 5;
        f.w().ZeroButton->click();
        f.polls(3);
        QCOMPARE(f.trend()->drawnSamples(), 3);
        // A malformed reply during the run is neither a sample nor a point.
        f.transmitter.queue("X", {{">"}});
        f.poll();
        QCOMPARE(f.trend()->drawnSamples(), 3);
        f.w().CancelButton->click();
        f.polls(2);
        QCOMPARE(f.trend()->drawnReadings(), 9);
        QCOMPARE(f.trend()->drawnSamples(), 3);
    }

    void relayLevelsAreDrawnOnceTheTransmitterNamesThem()
    {
        TrendFixture f;
        f.transmitter.answer("RH", "Relay high = 1000");
        f.transmitter.answer("RL", "Relay low = 800");
        f.startLinked();
        f.poll();
        QVERIFY(!f.trend()->drawsRelayLevels());
        // The technician only looks: the first box is cancelled.
        f.fake.dialogs.inputAnswers << QString();
        f.w().menuRelayTriggerPoint->trigger();
        QVERIFY(f.trend()->drawsRelayLevels());
        QCOMPARE(f.transmitter.commands, (QList<QByteArray> {"X", "RH", "RL"}));
    }
};

int main(int argc, char *argv[])
{
    return runTests<TrendTest>(argc, argv);
}

#include "tst_trend.moc"
