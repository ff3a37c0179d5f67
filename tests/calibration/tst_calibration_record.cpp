// The record of calibrations and the report made from it: a row for every
// store tried, refused or undone, on disk as soon as it happens, an "as left"
// row after five readings, and the customer's page as read from the PDF.

#include "calibration_fixture.h"
#include "platform/qt_printer.h"

#include <QApplication>
#include <QProcess>
#include <QThread>

#include <cstdio>
#include <QRegularExpression>
#include <QStatusBar>

class CalibrationRecordTest : public QObject {
    Q_OBJECT

private:
    // One reading a poll: the signals alternate by `step` (rx) and twice
    // that (tx); the averaged concentration is each of `avgs` in turn.
    static void readings(LinkedWindowFixture &f, double rx, double tx, double step,
                         QList<double> avgs)
    {
        for (qsizetype i = 0; i < avgs.size(); ++i) {
            f.transmitter.setReading(rx + step * (i % 2), tx + 2 * step * (i % 2), avgs[i], avgs[i]);
            f.poll();
        }
    }
    // A run with one sample for each of `avgs`.
    static void calibrate(LinkedWindowFixture &f, QPushButton *button, double rx, double tx,
                          double step, QList<double> avgs)
    {
        f.w().NumberOfSamples = avgs.size();
        button->click();
        readings(f, rx, tx, step, avgs);
    }
    static QString record(const QString &folder)
    {
        QString text = QString::fromUtf8(readFile(folder + QStringLiteral("/calibrations.csv")));
        static const QRegularExpression time(QStringLiteral("^(\\d+,[a-z ]+,)[^,]+"),
                                             QRegularExpression::MultilineOption);
        return text.replace(time, QStringLiteral("\\1<time>"));
    }

private slots:
    void everyStoreRefusalAndUndoHasItsRow()
    {
        CalibrationFixture f;
        calibrate(f, f.w().ZeroButton, 20000, 30000, 2, {4, 6});
        readings(f, 20001, 30002, 0, {1, 2, 3, 2, 1});
        f.w().menuUndoZeroCalibration->trigger();
        f.w().menu_Farenheit->trigger();
        f.enter({"T=68", "P=1000"});
        calibrate(f, f.w().SpanButton, 20000, 25000, 0, {1990});
        f.transmitter.silence("SAVE");
        calibrate(f, f.w().SpanButton, 20000, 25000, 0, {1990});
        f.transmitter.answer("SAVE");
        f.script("R020000", ScriptedTransmitter::frame("R020000", "ERROR"));
        calibrate(f, f.w().ZeroButton, 20000, 30000, 0, {0});
        f.w().SpanButton->click();
        f.enter({"S=none"}); // refused at the end of the run
        f.poll();
        // Read while the window still runs: a crash now would lose nothing.
        COMPARE_GOLDEN(record(f.fake.desktop.dataFolder()).toUtf8(), "calibrations.csv");
        QVERIFY(f.w().statusBar()->currentMessage().isEmpty());
    }

    void everyRowIsOnDiskBeforeItsBoxShows()
    {
        CalibrationFixture f;
        const QString path = f.fake.desktop.dataFolder() + QStringLiteral("/calibrations.csv");
        QStringList seen; // each box's first line and the record's last row then
        f.fake.dialogs.whileOpen = [&](const ShownBox &box) {
            if (box.buttons != MessageButtons::Ok)
                return; // a question before the run
            const QStringList rows = QString::fromUtf8(readFile(path)).split(u'\n');
            const QStringList last = rows.size() > 1 ? rows[rows.size() - 2].split(u',') : QStringList();
            seen << box.text.section(u'\r', 0, 0) + QStringLiteral(" | ") + last.mid(6, 2).join(u',');
        };
        calibrate(f, f.w().ZeroButton, 20000, 30000, 0, {0});
        f.script("R020000", ScriptedTransmitter::frame("R020000", "ERROR"));
        calibrate(f, f.w().ZeroButton, 20000, 30000, 0, {0});
        f.w().SpanButton->click();
        f.enter({"S=none"}); // refused at the end of the run
        f.poll();
        QCOMPARE(seen, QStringList({"Zero Point Set And Saved | zero,stored",
                                    "The transmitter rejected the parameters! | zero,rejected: R020000",
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
        CalibrationFixture f;
        writeFile(QStringLiteral("not-a-folder"), "");
        f.fake.desktop.dataFolderPath = QDir::current().absoluteFilePath("not-a-folder/kestrin");
        calibrate(f, f.w().ZeroButton, 20000, 30000, 0, {0});
        const QString told = f.w().statusBar()->currentMessage();
        QVERIFY2(told.startsWith("The calibration record could not be written to "
                                 + QDir::toNativeSeparators(f.fake.desktop.dataFolderPath)),
                 qPrintable(told));
        QCOMPARE(f.fake.dialogs.messageTexts().filter(u"Saved"), QStringList("Zero Point Set And Saved"));
        // The folder can be made again: the waiting row goes in first.
        QVERIFY(QFile::remove(QStringLiteral("not-a-folder")));
        calibrate(f, f.w().ZeroButton, 20000, 30000, 0, {5});
        const QStringList rows = record(f.fake.desktop.dataFolderPath).split(u'\n');
        QVERIFY(rows[1].startsWith(u"1,calibration,<time>,COM1"));
        QVERIFY(rows[1].endsWith(u",0.0,,,,,,50,"));
        QVERIFY(rows[2].startsWith(u"2,calibration,<time>,COM1"));
        QVERIFY(rows[2].endsWith(u",5.0,,,,,,50,"));
    }

    void reportShowsTheCalibrationsAgainstTheAppliedGas()
    {
        LinkedWindowFixture f;
        QtPrinter printer(f.fake.dialogs, f.fake.clock);
        writeFile(QStringLiteral("kestrin.ini"), "COM1:9600,N,8,1");
        f.window = std::make_unique<MainWindow>(
            Platform {f.fake.port, f.fake.dialogs, f.fake.desktop, f.fake.clock, printer});
        f.transmitter.answer("VER", "STD0420A");
        calibrate(f, f.w().ZeroButton, 20000, 30000, 2, {30, 22, 17, 13, 11, 9, 8, 7, 7, 6});
        readings(f, 20001, 30002, 0, {1, 0, 1, 0, 0}); // as left
        calibrate(f, f.w().SpanButton, 20000, 25000, 5,
                  {2150, 2120, 2100, 2090, 2080, 2075, 2070, 2068, 2066, 2081});
        readings(f, 20000, 25005, 0, {2003, 2001, 1999, 2002, 2000});

        QTemporaryDir folder;
        const QString pdf = qEnvironmentVariable("KESTRIN_REPORT_PDF", folder.filePath("r.pdf"));
        f.fake.dialogs.inputAnswers << QStringLiteral("K-33 ICB / 0712345");
        f.fake.dialogs.saveAnswers << pdf;
        f.forget();
        f.w().menuCalibrationReport->trigger();
        QCOMPARE(f.transmitter.commands, QList<QByteArray>({"VER"}));
        QCOMPARE(f.fake.dialogs.messageTexts(),
                 QStringList("The calibration report has been saved in\r" + pdf));

        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {"-layout", pdf, "-"});
        QVERIFY(pdftotext.waitForFinished(10000));
        const QString layout = QString::fromUtf8(pdftotext.readAllStandardOutput());
        QCOMPARE(layout.count(u'\f'), 1); // one page
        QStringList lines;
        for (const QString &line : layout.split(u'\n'))
            lines << line.simplified();
        for (const char *expected :
             {"Transmitter type and serial number K-33 ICB / 0712345", "Software version STD0420A",
              "Port COM1 (/dev/ttyFAKE1)", "Samples 10",
              // The zero gas was still flushing the cell, and OK stored it.
              "Result Stored after warning: still falling −70 ppm/min",
              "Judgement The CO2 reading was still falling during the run: −70 ppm/min", "T0 / R0 before 30000 / 20000",
              "T0 / R0 after 30002 / 20001", "Reference signal mean 20001.0, std dev 1.05",
              "ppm difference", "Applied gas 0", "As found (mean of the run) 13.0 +13.0",
              "As left (mean of 5 readings) 0.4 +0.4", "Span gas 2000 ppm, corrected to 2000 ppm",
              "TS / RS before 25500 / 20100", "TS / RS after 25005 / 20003", "Applied gas 2000",
              "As found (mean of the run) 2090.0 +90.0",
              "As left (mean of 5 readings) 2001.0 +1.0"})
            QVERIFY2(lines.join(u'\n').contains(QString::fromUtf8(expected)), expected);
        // A file that cannot be made is a failure, not a report.
        const QString nowhere = folder.filePath("no/r.pdf");
        f.fake.dialogs.saveAnswers << nowhere;
        f.w().menuCalibrationReport->trigger();
        QCOMPARE(f.fake.dialogs.messageTexts().last(),
                 "The file " + nowhere + " could not be written.");
    }

    void reportIsRefusedWithoutACalibrationOrDuringARun()
    {
        CalibrationFixture f;
        f.w().menuCalibrationReport->trigger();
        f.w().NumberOfSamples = 2;
        f.w().ZeroButton->click();
        f.poll();
        f.w().menuCalibrationReport->trigger();
        QCOMPARE(f.fake.dialogs.messageTexts().filter(u"calibration"),
                 QStringList({"No calibration has been recorded in this session.",
                              "Not possible during calibration!"}));
        // After the run, the type and serial number typed for the parameter
        // sheet are the report's, and nothing is asked.
        f.poll();
        f.w().TransmitterTypeAndSerial = QStringLiteral("K-33 / 1");
        f.forget();
        f.w().menuCalibrationReport->trigger();
        QVERIFY(f.fake.dialogs.shown.isEmpty());
        QCOMPARE(f.fake.printer.reports.size(), 1);
        QCOMPARE(f.fake.printer.reports[0].header[0].value, QStringLiteral("K-33 / 1"));
    }
};

// The child of aStoreKilledAtItsBoxIsInTheRecord: a zero run that stops at
// its end-of-run box and says so, to be killed there.
static int storeAndWaitAtTheBox(const QString &dataFolder)
{
    CalibrationFixture f;
    f.fake.desktop.dataFolderPath = dataFolder;
    f.fake.dialogs.whileOpen = [](const ShownBox &box) {
        if (box.buttons != MessageButtons::Ok)
            return;
        std::printf("box up: %s\n", qPrintable(box.text));
        std::fflush(stdout);
        for (;;)
            QThread::sleep(1);
    };
    f.w().NumberOfSamples = 1;
    f.transmitter.setReading(20000, 30000, 0, 0);
    f.w().ZeroButton->click();
    f.poll();
    return 1; // not reached
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString child = qEnvironmentVariable("KESTRIN_STORE_AND_WAIT");
    if (!child.isEmpty())
        return storeAndWaitAtTheBox(child);
    CalibrationRecordTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_calibration_record.moc"
