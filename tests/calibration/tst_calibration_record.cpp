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
    static void calibrate(LinkedWindowFixture &f, QAction *check, double rx, double tx,
                          double step, QList<double> avgs)
    {
        f.w().NumberOfSamples = avgs.size();
        check->trigger();
        readings(f, rx, tx, step, avgs);
    }
    static QString pdfText(const QString &pdf)
    {
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {"-layout", pdf, "-"});
        pdftotext.waitForFinished(10000);
        return QString::fromUtf8(pdftotext.readAllStandardOutput());
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
        QVERIFY(!f.w().statusBar()->currentMessage().contains(u"calibration record"));
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
        QVERIFY(rows[1].endsWith(u",0.0,,,,,,50,,"));
        QVERIFY(rows[2].startsWith(u"2,calibration,<time>,COM1"));
        QVERIFY(rows[2].endsWith(u",5.0,,,,,,50,,"));
    }

    void reportIsACertificateWithTheTransmittersHistory()
    {
        LinkedWindowFixture f;
        QtPrinter printer(f.fake.dialogs, f.fake.clock);
        writeFile(QStringLiteral("kestrin.ini"), "COM1:9600,N,8,1");
        // What the last report kept, and a record that has seen this
        // transmitter before: a zero and a span under an earlier certificate.
        writeFile(QStringLiteral("preferences.conf"),
                  "[report]\nlaboratory=Gaslab Nord\ntechnician=A. Bauer\n"
                  "lastCertificate=KC-2026-0041\nintervalMonths=6\nzeroGas=\"N2 5.0, lot 4711\"\n");
        const QString folder = f.fake.desktop.dataFolder();
        QVERIFY(QDir().mkpath(folder));
        const QByteArray earlier = calibrationRecordHeader().toUtf8() + "\n"
            "1,calibration,2026-06-02T09:00:00+02:00,COM1,/dev/ttyUSB0,STD0420A,zero,stored,10,,,0"
            ",,,,,,,,,,,,,,,,,12.0,,,,,,50,\n"
            "1,as left,2026-06-02T09:01:00+02:00,COM1,/dev/ttyUSB0,STD0420A,zero,,,,,,,,,,,,,,,,,,,"
            ",,,,0.5,0.7,0.6,,,,\n"
            "2,calibration,2026-06-02T09:10:00+02:00,COM1,/dev/ttyUSB0,STD0420A,span,stored,10,2000"
            ",2000,2000,,,,,,,,,,,,,,,,,2061.5,,,,,,150,\n"
            "3,certificate,2026-06-02T09:20:00+02:00,COM1,/dev/ttyUSB0,STD0420A,certificate,"
            "KC-2026-0017,,,,,,,,,,,,,,,,,,,,,,,,,,,,type=K-33 ICB; serial=0712345; events=1 2\n";
        writeFile(folder + QStringLiteral("/calibrations.csv"), earlier);
        f.window = std::make_unique<MainWindow>(
            Platform {f.fake.port, f.fake.dialogs, f.fake.desktop, f.fake.clock, printer});
        f.transmitter.answer("VER", "STD0420A");
        // As found on the span gas, then both points calibrated.
        calibrate(f, f.w().menuAccuracyCheckSpan, 20000, 25000, 1, {2093, 2095, 2092, 2094, 2093});
        calibrate(f, f.w().ZeroButton, 20000, 30000, 2, {30, 22, 17, 13, 11, 9, 8, 7, 7, 6});
        readings(f, 20001, 30002, 0, {1, 0, 1, 0, 0}); // as left
        calibrate(f, f.w().SpanButton, 20000, 25000, 5,
                  {2150, 2120, 2100, 2090, 2080, 2075, 2070, 2068, 2066, 2081});
        readings(f, 20000, 25005, 0, {2003, 2001, 1999, 2002, 2000});

        QTemporaryDir pdfFolder;
        const QString pdf = qEnvironmentVariable("KESTRIN_REPORT_PDF", pdfFolder.filePath("r.pdf"));
        f.w().TransmitterTypeAndSerial = QStringLiteral("K-33 ICB / 0712345");
        f.fake.dialogs.formAnswers << QMap<QString, QString> {
            {"Span gas cylinder or lot", "cylinder CY-0815"},
            {"Span gas uncertainty (% or ppm)", "2 %"},
            {"Zero gas uncertainty (ppm)", "1 ppm"}};
        f.fake.dialogs.saveAnswers << pdf;
        f.forget();
        f.w().menuCalibrationReport->trigger();
        QCOMPARE(f.transmitter.commands, QList<QByteArray>({"VER"}));
        QCOMPARE(f.fake.dialogs.shown.size(), 3);
        QCOMPARE(f.fake.dialogs.shown[0].defaultText,
                 "Company or laboratory=Gaslab Nord\nTechnician=A. Bauer\n"
                 "Certificate number=KC-2026-0042\nTransmitter type=K-33 ICB\n"
                 "Serial number=0712345\nZero gas (kind, lot)=N2 5.0, lot 4711\n"
                 "Zero gas uncertainty (ppm)=\nSpan gas cylinder or lot=\n"
                 "Span gas certified (ppm)=2000\n"
                 "Span gas uncertainty (% or ppm)=\nNext calibration in (months)=6");
        QVERIFY(f.fake.dialogs.shown[1].defaultText.endsWith(u"/K-33_ICB-0712345-2026-12-06.pdf"));
        QCOMPARE(f.fake.dialogs.messageTexts(),
                 QStringList("The calibration report has been saved in\r" + pdf));

        const QString layout = pdfText(pdf);
        QCOMPARE(layout.count(u'\f'), 1); // one page
        QStringList lines;
        for (const QString &line : layout.split(u'\n'))
            lines << line.simplified();
        for (const char *expected : {
                 "Calibration Certificate Certificate No. KC-2026-0042",
                 "Company or laboratory Gaslab Nord Transmitter type K-33 ICB",
                 "Technician A. Bauer Serial number 0712345",
                 "Date of calibration 2026-12-06 Software version STD0420A",
                 "Next calibration due 2027-06-06",
                 "Port COM1 on /dev/ttyFAKE1 (Fake USB serial, serial number FK1)",
                 "Ambient 25.0 °C, 1013 hPa", "Zero gas N2 5.0, lot 4711 ± 1 ppm",
                 "Span gas cylinder CY-0815, certified 2000 ppm ± 2 %",
                 "Time Check or calibration Gas As found As left Found−gas Left−gas Tol. U (k=2) "
                 "Result",
                 // U: 2 sqrt(20^2 + (1.5 / sqrt 5)^2 + 1/12 + (2.8628^2 + 0.6711^2) / 12)
                 "14:05 Check span 2000 2093.4 2093.4 +93.4 +93.4 ±150 ±40.1 PASS", "Settled.",
                 // U: 2 sqrt(0.5^2 + (2.5386 / sqrt 5)^2 + 1/12), the run's noise
                 // from its successive differences: sqrt(116 / 18)
                 "14:05 Zero calibration 0 13.0 0.4 +13.0 +0.4 ±50 ±2.5 PASS",
                 // The zero gas was still flushing the cell, and OK stored it.
                 "Stored after the technician overrode the doubts: The CO2 reading was still "
                 "falling during the run: −70 ppm/min.",
                 "14:06 Span calibration 2000 2090.0 2001.0 +90.0 +1.0 ±150 ±41.0 PASS",
                 "0 5 10 15 20 0 5 10 15 20", "seconds seconds",
                 "Earlier checks and calibrations of serial number 0712345",
                 "2026-06-02 KC-2026-0017 Zero calibration 0 12.0 0.6",
                 "2026-06-02 KC-2026-0017 Span calibration 2000 2061.5 -",
                 "Technician (signature) Date Reviewer (signature) Date"})
            QVERIFY2(lines.contains(QString::fromUtf8(expected)), expected);

        QVERIFY(lines.join(u' ').contains(u"Decision rule: simple acceptance."));
        // Both plots' concentration axes have their ticks: 0 to 40 ppm at
        // the zero, 1950 to 2200 ppm at the span.
        const qsizetype plots = lines.indexOf(
            "Zero point: ppm against seconds of the run Span point: ppm against seconds of the run");
        QStringList ticks = lines.mid(plots + 2, lines.indexOf("seconds seconds") - plots - 3)
                                .join(u' ')
                                .split(u' ', Qt::SkipEmptyParts);
        std::sort(ticks.begin(), ticks.end(),
                  [](const QString &a, const QString &b) { return a.toInt() < b.toInt(); });
        QCOMPARE(ticks.join(u' '), "0 10 20 30 40 1950 2000 2050 2100 2150 2200");

        // The certificate is in the record, naming the session's two events;
        // the next report offers the next number.
        const QString record = QString::fromUtf8(readFile(folder + "/calibrations.csv"));
        QVERIFY2(record.endsWith(",certificate,KC-2026-0042,,,,,,,,,,,,,,,,,,,,,,,,,,,,"
                                 "type=K-33 ICB; serial=0712345; events=4 5 6\n"),
                 qPrintable(record));
        // A file that cannot be made is a failure, not a certificate.
        const QString nowhere = pdfFolder.filePath("no/r.pdf");
        f.fake.dialogs.saveAnswers << nowhere;
        f.w().menuCalibrationReport->trigger();
        QCOMPARE(f.fake.dialogs.messageTexts().last(),
                 "The file " + nowhere + " could not be written.");
        QVERIFY(f.fake.dialogs.shown[3].defaultText.contains(u"Certificate number=KC-2026-0043"));
        QCOMPARE(readFile(folder + "/calibrations.csv"), record.toUtf8());
    }

    void aFullReportStaysOnOnePage()
    {
        // The most the report shows: the latest ten results, each with every
        // doubt a run can have, three runs a plot, eight of nine earlier results.
        RunJudgement doubtful;
        doubtful.asFoundPpm = doubtful.differencePpm = 131;
        doubtful.settledness.trendQuestioned = doubtful.settledness.stepQuestioned = true;
        doubtful.settledness.trend = Estimate {-35, 2};
        doubtful.weakSignalReadings = 3;
        QList<CalibrationEvent> session(12);
        for (int i = 0; i < 12; ++i) {
            session[i].kind = i % 2 ? CalibrationKind::CheckZero : CalibrationKind::Zero;
            session[i].check = CheckOutcome::NotSettled;
            session[i].time = QDateTime(QDate(2026, 12, 6), QTime(9, i));
            session[i].judgement = doubtful;
            session[i].result.warning = QStringLiteral("still falling");
            for (int s = 0; s < 100; ++s)
                session[i].trace.add(2 * s, 160 - s * 0.6);
        }
        ReportFacts facts;
        facts.answers = {"Gaslab Nord", "A. Bauer", "KC-1", "K-33", "1", "", "", "", "", "", "12"};
        for (int i = 1; i <= 9; ++i)
            facts.history << HistoryEntry {QDateTime(QDate(2017 + i, 3, 1), QTime(8, 0)),
                                            "KC-0", "check span", "2000", "2031.0", "2031.0"};
        FakeDialogs dialogs;
        FakeClock clock;
        QtPrinter printer(dialogs, clock);
        QTemporaryDir folder;
        dialogs.saveAnswers << folder.filePath("full.pdf");
        printer.printReport(*calibrationReport(session, facts));
        const QString layout = pdfText(folder.filePath("full.pdf"));
        QCOMPARE(layout.count(u'\f'), 1);
        QCOMPARE(layout.count(u"NOT SETTLED"), 5);
        QVERIFY(layout.contains(u"2 earlier result(s) of this session are in the calibration"));
        QVERIFY(layout.contains(u"The latest 8 of 9; the rest are in the calibration record."));
        QVERIFY(layout.contains(u"Reviewer (signature)"));
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
                 QStringList({"No check or calibration has been recorded in this session.",
                              "Not possible during calibration!"}));
        // After the run, the type and serial number typed for the parameter
        // sheet are offered; a Cancel prints nothing, a form that cannot make
        // a report is shown again as typed.
        f.poll();
        f.w().TransmitterTypeAndSerial = QStringLiteral("K-33 1");
        f.forget();
        using Typed = QMap<QString, QString>;
        const QString months = QStringLiteral("Next calibration in (months)");
        f.fake.dialogs.formAnswers << std::nullopt
                                   << Typed {{"Technician", "B. Roth"}, {months, "0"}}
                                   << Typed {{months, "24"}};
        f.w().menuCalibrationReport->trigger();
        QVERIFY(f.fake.printer.reports.isEmpty());
        f.w().menuCalibrationReport->trigger();
        QCOMPARE(f.fake.dialogs.messageTexts(),
                 QStringList("The next calibration is due in 1 to 120 months."));
        QCOMPARE(f.fake.dialogs.shown.size(), 4);
        QVERIFY(f.fake.dialogs.shown[3].defaultText.contains(
            "Technician=B. Roth\nCertificate number=KC-2026-0001\nTransmitter type=K-33\n"
            "Serial number=1\n"));
        QCOMPARE(f.fake.printer.reports.size(), 1);
        const CalibrationReport &page = f.fake.printer.reports[0];
        QCOMPARE(page.calibration[3].value, QStringLiteral("2028-12-06")); // next calibration
        QCOMPARE(page.fileName, QStringLiteral("K-33-1-2026-12-06.pdf"));
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
