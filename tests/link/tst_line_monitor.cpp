// The line monitor: every byte on the line, as it went, with its time.

#include "link/line_log.h"
#include "link/line_monitor.h"
#include "window_fixture.h"

#include <QAction>
#include <QClipboard>
#include <QMenuBar>
#include <QTest>

namespace {

LineMonitor *monitorOf(MainWindow &w)
{
    return w.findChild<LineMonitor *>(QStringLiteral("lineMonitor"));
}

} // namespace

class LineMonitorTest : public QObject {
    Q_OBJECT

private slots:
    void controlCharactersAreWrittenOut_data();
    void controlCharactersAreWrittenOut();
    void replyPiecesJoinUntilThePrompt_data();
    void replyPiecesJoinUntilThePrompt();
    void logKeepsTheNewestEntriesUpToItsCapacity();
    void monitorShowsTheExactBytesOfAnExchange();
    void lateReplyShowsWhenItCameNotWithTheNextCommand();
    void monitorIsHiddenUntilAskedForAndSendsNothing();
};

void LineMonitorTest::controlCharactersAreWrittenOut_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");
    QTest::newRow("line end and prompt") << QByteArray("\r\n>") << "<CR><LF>>";
    QTest::newRow("end of text and backspace") << QByteArray("\x03\b") << "<ETX><BS>";
    QTest::newRow("tab between fields") << QByteArray("  1234\t  5678") << "  1234<TAB>  5678";
    QTest::newRow("other control and high bytes")
        << QByteArray("\x00\x1b\x7f\xff", 4) << "<00><1B><7F><FF>";
    QTest::newRow("printable edge") << QByteArray(" ~<") << " ~<";
}

void LineMonitorTest::controlCharactersAreWrittenOut()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    QCOMPARE(visibleBytes(bytes), shown);
}

void LineMonitorTest::replyPiecesJoinUntilThePrompt_data()
{
    // Each record as direction and bytes ("<" in, ">" out); the entries after.
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("reply in pieces") << QStringList {">X\r", "<X\r\n", "<12\t", "<>"}
                                     << QStringList {"-> X<CR>", "<- X<CR><LF>12<TAB>>"};
    QTest::newRow("next reply starts anew")
        << QStringList {"<a>", "<b>"} << QStringList {"<- a>", "<- b>"};
    QTest::newRow("a write ends an unfinished reply")
        << QStringList {"<abc", ">X\r", "<def>"} << QStringList {"<- abc", "-> X<CR>", "<- def>"};
    QTest::newRow("writes never join")
        << QStringList {">\x03", ">X\r"} << QStringList {"-> <ETX>", "-> X<CR>"};
    QTest::newRow("stream without prompt splits at the limit")
        << QStringList {"<0123456", "<789ABCDEFGHIJ"}
        << QStringList {"<- 01234567", "<- 89ABCDEF", "<- GHIJ"};
}

void LineMonitorTest::replyPiecesJoinUntilThePrompt()
{
    QFETCH(QStringList, records);
    QFETCH(QStringList, entries);
    LineLog log(100, 8);
    const QDateTime time(QDate(2026, 12, 6), QTime(9, 30));
    for (const QString &record : records)
        log.record(record.startsWith(u'>') ? LineDirection::Out : LineDirection::In,
                   record.mid(1).toLatin1(), time);
    QStringList lines;
    for (const LineEntry &entry : log.entries())
        lines << LineLog::lineText(entry).mid(QStringLiteral("09:30:00.000  ").size());
    QCOMPARE(lines, entries);
}

void LineMonitorTest::logKeepsTheNewestEntriesUpToItsCapacity()
{
    LineLog log(3);
    const QDateTime start(QDate(2026, 12, 6), QTime(9, 30));
    for (int i = 0; i < 10; ++i)
        log.record(LineDirection::Out, QByteArray::number(i), start.addMSecs(i));
    QCOMPARE(log.entries().size(), 3u);
    QCOMPARE(log.text(),
             QStringLiteral("09:30:00.007  -> 7\n09:30:00.008  -> 8\n09:30:00.009  -> 9\n"));
}

void LineMonitorTest::monitorShowsTheExactBytesOfAnExchange()
{
    LinkedWindowFixture f;
    const QByteArray reply = ScriptedTransmitter::reading(1234, 5678, 410, 412);
    f.transmitter.queue("X", {{reply.left(10), reply.mid(10)}, 5});
    f.startLinked();
    f.poll();
    f.fake.clock.advance(1234);
    f.w().menuCom[2]->trigger();

    const QString expected = QStringLiteral(
        "14:05:00.000  -> <ETX>\n"
        "14:05:02.000  -> X<CR>\n"
        "14:05:02.005  <- X<CR><LF>  1234<TAB>  5678<TAB>   410    412            <CR><LF>>\n"
        "14:05:03.244  -> <BS>");
    QCOMPARE(monitorOf(f.w())->shownText(), expected);
    QCOMPARE(monitorOf(f.w())->log().text(), expected + u'\n');
    // Copy All puts the whole log on the clipboard.
    QGuiApplication::clipboard()->clear();
    monitorOf(f.w())->copyAll();
    QCOMPARE(QGuiApplication::clipboard()->text(), expected + u'\n');
}

void LineMonitorTest::lateReplyShowsWhenItCameNotWithTheNextCommand()
{
    LinkedWindowFixture f;
    f.transmitter.queue("X", {{"X\r\n>"}, 600});
    f.transmitter.queue("X", {{"X\r\n>"}, 5});
    f.startLinked();
    f.poll();
    f.poll();
    // The late reply ended the second wait at once, as it always has.
    QCOMPARE(f.w().RxBuffer, QByteArray("X\r\n>"));
    f.fake.clock.advance(10);
    QCOMPARE(f.transmitter.commands.size(), 2);
    // The wait gave up at 02.500; the reply came at 02.600, the next poll at 04.500.
    QCOMPARE(monitorOf(f.w())->shownText(),
             QStringLiteral("14:05:00.000  -> <ETX>\n"
                            "14:05:02.000  -> X<CR>\n"
                            "14:05:02.600  <- X<CR><LF>>\n"
                            "14:05:04.500  -> X<CR>\n"
                            "14:05:04.505  <- X<CR><LF>>"));
}

void LineMonitorTest::monitorIsHiddenUntilAskedForAndSendsNothing()
{
    LinkedWindowFixture f;
    f.startLinked();
    const int menus = f.w().menuBar()->actions().size();
    LineMonitor *monitor = monitorOf(f.w());
    QVERIFY(monitor->isHidden());
    auto *open = f.w().findChild<QAction *>(QStringLiteral("lineMonitorAction"));
    QCOMPARE(open->shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));
    open->trigger();
    QVERIFY(!monitor->isHidden());
    QCOMPARE(f.w().menuBar()->actions().size(), menus);
    // Watching the line puts nothing more on it.
    f.polls(5);
    QCOMPARE(f.fake.port.written, QByteArray("X\r").repeated(5));
    QCOMPARE(monitor->log().entries().size(), 1u + 2 * 5);
}

QTEST_MAIN(LineMonitorTest)
#include "tst_line_monitor.moc"
