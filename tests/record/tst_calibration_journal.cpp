// The calibration record as several windows share it: numbers taken from the
// file under its lock, rows that wait when the lock or the disk is not to be
// had, and "as left" rows that find their event.

#include "full_disk.h"
#include "record/calibration_journal.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {

CalibrationEvent storedZero(const QString &port)
{
    CalibrationEvent e;
    e.time = QDateTime(QDate(2026, 12, 7), QTime(9, 30), Qt::UTC);
    e.port = port;
    e.afterT = QStringLiteral("30002");
    e.afterR = QStringLiteral("20001");
    return e;
}

QStringList lines(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The event number, row kind, port and kind of each row after the header.
QStringList rowHeads(const QString &path)
{
    QStringList heads;
    for (const QString &line : lines(path).mid(1)) {
        const QStringList f = line.split(u',');
        heads << QStringList {f.value(0), f.value(1), f.value(3), f.value(6)}.join(u',');
    }
    return heads;
}

// One window's worth of appends, run as a child process: `count` stored
// zeros, each with its five "as left" readings.
int appendRows(const QString &path, const QString &port, int count)
{
    CalibrationJournal journal(path, 10s);
    for (int i = 0; i < count; ++i) {
        if (!journal.add(storedZero(port)))
            return 1;
        for (int r = 0; r < CalibrationJournal::asLeftReadings; ++r)
            if (!journal.noteReading(r, QDateTime::currentDateTime()))
                return 1;
    }
    return 0;
}

} // namespace

class CalibrationJournalTest : public QObject {
    Q_OBJECT

private slots:
    void everyAppendIsSyncedAndOneThatFailsLeavesNoTornRow()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("calibrations.csv"));
        CalibrationJournal journal(path);
        QList<QStringList> atSync;
        journal.setDiskSync([&](QFile &) {
            atSync << lines(path);
            return true;
        });
        QVERIFY(journal.add(storedZero(QStringLiteral("COM1"))));
        // One sync per append, after the whole row is out of the program.
        QCOMPARE(atSync.size(), 1);
        QCOMPARE(atSync[0].size(), 2);
        QVERIFY(atSync[0][1].startsWith(u"1,"));
        const qint64 size = QFileInfo(path).size();

        journal.setDiskSync([](QFile &) { return false; });
        QVERIFY(!journal.add(storedZero(QStringLiteral("COM2"))));
        QCOMPARE(QFileInfo(path).size(), size);
        journal.setDiskSync({});
        // A disk that takes ten bytes of the row and no more.
        {
            const FullDisk full(rlim_t(size + 10));
            QVERIFY(!journal.add(storedZero(QStringLiteral("COM3"))));
        }
        QCOMPARE(QFileInfo(path).size(), size);
        // The rows that waited go in whole, in order, with the next.
        QVERIFY(journal.add(storedZero(QStringLiteral("COM4"))));
        QCOMPARE(rowHeads(path),
                 QStringList({"1,calibration,COM1,zero", "2,calibration,COM2,zero",
                              "3,calibration,COM3,zero", "4,calibration,COM4,zero"}));
    }

    void numbersGoOnFromTheRecordAndAsLeftRowsFindTheirEvent()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("sub/calibrations.csv"));
        {
            CalibrationJournal journal(path);
            QVERIFY(journal.add(storedZero(QStringLiteral("COM1"))));
            QVERIFY(journal.noteReading(3, QDateTime::currentDateTime()));
            QVERIFY(journal.noteReading(1, QDateTime::currentDateTime()));
            QCOMPARE(lines(path).size(), 2); // header and the event: the readings wait
            QVERIFY(journal.finishAsLeft());
        }
        // A second window, started later, numbers on from the file.
        CalibrationJournal other(path);
        CalibrationEvent refused = storedZero(QStringLiteral("COM2"));
        refused.result = {StoreResult::Outcome::Refused, QStringLiteral("out of range")};
        QVERIFY(other.add(refused));
        QVERIFY(other.add(storedZero(QStringLiteral("COM2"))));
        for (int r = 0; r < 5; ++r)
            QVERIFY(other.noteReading(r, QDateTime::currentDateTime()));
        QVERIFY(other.noteReading(9, QDateTime::currentDateTime())); // past the fifth
        QCOMPARE(rowHeads(path),
                 QStringList({"1,calibration,COM1,zero", "1,as left,COM1,zero",
                              "2,calibration,COM2,zero", "3,calibration,COM2,zero",
                              "3,as left,COM2,zero"}));
        QVERIFY(lines(path).last().endsWith(QStringLiteral(",0,1,2,3,4,,,1-5")));
        QVERIFY(lines(path)[3].contains(QStringLiteral(",refused: out of range,")));
        QCOMPARE(other.events().size(), 2);
        QCOMPARE(other.events()[1].number, 3);
        QCOMPARE(other.valuesLeftBy(CalibrationKind::Zero),
                 std::make_pair(QStringLiteral("30002"), QStringLiteral("20001")));
        QCOMPARE(other.valuesLeftBy(CalibrationKind::Span), std::make_pair(QString(), QString()));
    }

    void rowsWaitForAHeldLockAndGoInInOrder()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("calibrations.csv"));
        QFile seeded(path);
        QVERIFY(seeded.open(QIODevice::WriteOnly));
        seeded.write("event,row\n41,calibration\n41,as left\n");
        seeded.close();

        QLockFile otherWindow(path + QStringLiteral(".lock"));
        QVERIFY(otherWindow.lock());
        CalibrationJournal journal(path, 50ms);
        QVERIFY(!journal.add(storedZero(QStringLiteral("COM1"))));
        QVERIFY(journal.problem().contains(QStringLiteral("held by another program")));
        QVERIFY(journal.problem().contains(path));
        for (int r = 0; r < 5; ++r)
            journal.noteReading(r, QDateTime::currentDateTime());
        QCOMPARE(journal.unwrittenRows(), 2);
        QCOMPARE(lines(path).size(), 3);

        otherWindow.unlock();
        CalibrationEvent span = storedZero(QStringLiteral("COM1"));
        span.kind = CalibrationKind::Span;
        QVERIFY(journal.add(span));
        QCOMPARE(journal.unwrittenRows(), 0);
        QVERIFY(journal.problem().isEmpty());
        QCOMPARE(rowHeads(path),
                 QStringList({"41,calibration,,", "41,as left,,", "42,calibration,COM1,zero",
                              "42,as left,COM1,zero", "43,calibration,COM1,span"}));
    }

    void aCertificateNamesItsEventsOnceTheyHaveNumbers()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("calibrations.csv"));
        CalibrationJournal journal(path, 50ms);
        CalibrationEvent check = storedZero(QStringLiteral("COM1"));
        check.kind = CalibrationKind::CheckZero;
        QVERIFY(journal.add(check));
        for (int r = 0; r < 5; ++r) // a check wrote nothing: no "as left"
            QVERIFY(journal.noteReading(r, QDateTime::currentDateTime()));
        // The rest wait behind another window's lock: the certificate names
        // them by the numbers they get when they go in.
        QLockFile otherWindow(path + QStringLiteral(".lock"));
        QVERIFY(otherWindow.lock());
        QVERIFY(!journal.add(storedZero(QStringLiteral("COM1"))));
        QVERIFY(!journal.add(check));
        const Certificate c {"KC-2026-0042", QDateTime(QDate(2026, 12, 7), QTime(10, 0), Qt::UTC),
                             "COM1",         "/dev/ttyUSB0",
                             "V1",           "K-33",
                             "0712345",      {}};
        QVERIFY(!journal.addCertificate(c, {0, 2, 7}));
        otherWindow.unlock();
        QVERIFY(journal.finishAsLeft());
        QCOMPARE(rowHeads(path),
                 QStringList({"1,calibration,COM1,check zero", "2,calibration,COM1,zero",
                              "3,calibration,COM1,check zero", "4,certificate,COM1,certificate"}));
        QVERIFY(lines(path).last().endsWith(
            ",KC-2026-0042,,,,,,,,,,,,,,,,,,,,,,,,,,,,type=K-33; serial=0712345; events=1 3"));
        QCOMPARE(lines(path).last().split(u',').size(), 36);

        // A window open for weeks keeps the latest of each kind, no more.
        for (int i = 0; i < CalibrationJournal::keptPerKind + 5; ++i) {
            CalibrationEvent zero = storedZero(QStringLiteral("COM1"));
            zero.afterT = QString::number(i);
            QVERIFY(journal.add(zero));
        }
        const QList<CalibrationEvent> kept = journal.events();
        QCOMPARE(kept.size(), CalibrationJournal::keptPerKind + 2);
        QCOMPARE(kept[0].kind, CalibrationKind::CheckZero);
        QCOMPARE(kept[2].afterT, QStringLiteral("5"));
        QCOMPARE(kept.last().afterT, QStringLiteral("24"));
    }

    void twoProcessesAppendingAtOnceNeitherTearNorRepeat()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("calibrations.csv"));
        constexpr int perProcess = 150; // 300 rows each
        QList<QProcess *> children;
        for (const char *port : {"COM1", "COM2"}) {
            auto *child = new QProcess(this);
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("KESTRIN_APPEND_ROWS"),
                       QStringLiteral("%1|%2|%3").arg(path, port).arg(perProcess));
            child->setProcessEnvironment(env);
            child->start(QCoreApplication::applicationFilePath(), {});
            children << child;
        }
        for (QProcess *child : children) {
            QVERIFY(child->waitForFinished(120000));
            QCOMPARE(child->exitCode(), 0);
        }

        const QStringList all = lines(path);
        QCOMPARE(all.size(), 1 + 2 * 2 * perProcess);
        QSet<int> numbers;
        QHash<int, QString> portOf;
        for (const QString &line : all.mid(1)) {
            const QStringList fields = line.split(u',');
            QCOMPARE(fields.size(), 37); // whole: no line runs into another
            const int number = fields[0].toInt();
            if (fields[1] == u"calibration") {
                QVERIFY2(!numbers.contains(number), qPrintable(line));
                numbers << number;
                portOf[number] = fields[3];
            } else {
                // The as-left row belongs to its own window's event.
                QCOMPARE(portOf.value(number), fields[3]);
            }
        }
        QCOMPARE(numbers.size(), 2 * perProcess);
        QCOMPARE(*std::max_element(numbers.begin(), numbers.end()), 2 * perProcess);
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString appending = qEnvironmentVariable("KESTRIN_APPEND_ROWS");
    if (!appending.isEmpty()) {
        const QStringList args = appending.split(u'|');
        return appendRows(args[0], args[1], args[2].toInt());
    }
    CalibrationJournalTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_calibration_journal.moc"
