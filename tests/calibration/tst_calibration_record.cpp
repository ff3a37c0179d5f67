// The record of calibrations as a session keeps it: a row for every store
// tried, refused or undone, on disk as soon as it happens and before its box,
// an "as left" row after five readings, and a row that cannot be written yet.

#include "golden.h"

#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <cstdio>

using K = CalibrationKind;

namespace {

// The record with its times blotted out.
QString record(const QString &folder)
{
    QString text = QString::fromUtf8(readFile(folder + QStringLiteral("/calibrations.csv")));
    static const QRegularExpression time(QStringLiteral("^(\\d+,[a-z ]+,)[^,]+"),
                                         QRegularExpression::MultilineOption);
    return text.replace(time, QStringLiteral("\\1<time>"));
}

} // namespace

class CalibrationRecordTest : public QObject {
    Q_OBJECT

private slots:
    void everyStoreRefusalAndUndoHasItsRow()
    {
        SessionFixture f;
        f.run(K::Zero, {4, 6}, 20000, 30000, 2);
        f.readings({1, 2, 3, 2, 1}, 20001, 30002); // as left
        f.start(K::UndoZero);
        f.ambient = {"2000", "1997", "68", "°F", "1000", "hPa", 20, 1000};
        f.run(K::Span, {1990}, 20000, 25000);
        f.transmitter.silence("SAVE");
        f.run(K::Span, {1990}, 20000, 25000);
        f.transmitter.answer("SAVE");
        f.script("R020000", ScriptedTransmitter::frame("R020000", "ERROR"));
        f.run(K::Zero, {0});
        f.start(K::Span);
        f.ambient.spanGas = QStringLiteral("none"); // refused at the end of the run
        f.ambient.corrected = QStringLiteral("0");
        f.poll();
        // Read while the session still runs: a crash now would lose nothing.
        COMPARE_GOLDEN(record(f.fake.desktop.dataFolder()).toUtf8(), "calibrations.csv");
        QVERIFY(f.told.filter(u"calibration record").isEmpty());
    }

    void everyRowIsOnDiskBeforeItsBoxShows()
    {
        SessionFixture f;
        QStringList seen; // each box's first line and the record's last row then
        f.fake.dialogs.whileOpen = [&](const ShownBox &box) {
            if (box.buttons != MessageButtons::Ok)
                return; // a question before the run
            const QStringList rows = f.record().split(u'\n', Qt::SkipEmptyParts);
            seen << box.text.section(u'\r', 0, 0) + QStringLiteral(" | ")
                    + rows.value(rows.size() - 1).split(u',').mid(6, 2).join(u',');
        };
        f.run(K::Zero, {0});
        f.script("R020000", ScriptedTransmitter::frame("R020000", "ERROR"));
        f.run(K::Zero, {0});
        f.run(K::CheckZero, {0});
        f.start(K::Span);
        f.ambient.corrected = QStringLiteral("0"); // refused at the end of the run
        f.poll();
        QCOMPARE(seen,
                 QStringList({"Zero Point Set And Saved | zero,stored",
                              "The transmitter rejected the parameters! | zero,rejected: R020000",
                              "Accuracy check with zero gas: PASS | check zero,pass",
                              "Span point not stored. | span,\"refused: The corrected span gas "
                              "concentration (0 ppm) cannot be used for a span calibration. "
                              "Check the span gas"}));
    }

    void aStoreKilledAtItsBoxIsInTheRecord()
    {
        // A power cut or a crash while "Zero Point Set And Saved" stands.
        QTemporaryDir dir;
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KESTRIN_STORE_AND_WAIT"), dir.path());
        env.insert(QStringLiteral("TMPDIR"), dir.path()); // the child's own folders go too
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QByteArray said;
        while (!said.contains("box up") && child.waitForReadyRead(20000))
            said += child.readAllStandardOutput();
        QVERIFY2(said.contains("box up: Zero Point Set And Saved"), said.constData());
        child.kill();
        QVERIFY(child.waitForFinished(5000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        const QStringList rows = QString::fromUtf8(readFile(dir.filePath("calibrations.csv")))
                                     .split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(rows.size(), 2);
        QVERIFY2(rows[1].startsWith(u"1,calibration,") && rows[1].contains(u",zero,stored,"),
                 qPrintable(rows[1]));
        QVERIFY(rows[1].contains(u",30000,20000,30000,20000,"));
    }

    void aRowThatCannotBeWrittenWaitsAndIsTold()
    {
        SessionFixture f;
        writeFile(QStringLiteral("not-a-folder"), "");
        f.fake.desktop.dataFolderPath = QDir::current().absoluteFilePath("not-a-folder/kestrin");
        f.run(K::Zero, {0});
        QVERIFY2(
            f.told.last().startsWith("The calibration record could not be written to "
                                     + QDir::toNativeSeparators(f.fake.desktop.dataFolderPath)),
            qPrintable(f.told.last()));
        QCOMPARE(f.messages().mid(1), QStringList("Zero Point Set And Saved"));
        // The folder can be made again: the waiting row goes in first.
        QVERIFY(QFile::remove(QStringLiteral("not-a-folder")));
        f.run(K::Zero, {5});
        const QStringList rows = record(f.fake.desktop.dataFolderPath).split(u'\n');
        QVERIFY(rows[1].startsWith(u"1,calibration,<time>,COM1"));
        QVERIFY(rows[1].endsWith(u",0.0,,,,,,50,"));
        QVERIFY(rows[2].startsWith(u"2,calibration,<time>,COM1"));
        QVERIFY(rows[2].endsWith(u",5.0,,,,,,50,"));
    }
};

// The child of aStoreKilledAtItsBoxIsInTheRecord: a zero run that stops at
// its end-of-run box and says so, to be killed there.
static int storeAndWaitAtTheBox(const QString &dataFolder)
{
    SessionFixture f;
    f.fake.desktop.dataFolderPath = dataFolder;
    f.fake.dialogs.whileOpen = [](const ShownBox &box) {
        if (box.buttons != MessageButtons::Ok)
            return;
        std::printf("box up: %s\n", qPrintable(box.text));
        std::fflush(stdout);
        for (;;)
            QThread::sleep(1);
    };
    f.run(K::Zero, {0});
    return 1; // not reached
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString child = qEnvironmentVariable("KESTRIN_STORE_AND_WAIT");
    if (!child.isEmpty())
        return storeAndWaitAtTheBox(child);
    CalibrationRecordTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_calibration_record.moc"
