// The window over calibrations and their record: a zero and a span through its
// controls, the boxes only the window asks (number of samples, tolerance, the
// report's form), its keys and panel, and the certificate as the customer
// reads it.

#include "golden.h"
#include "platform/qt_printer.h"
#include "window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QProcess>
#include <QProgressBar>
#include <QStatusBar>

#include <algorithm>

namespace {

QString pdfText(const QString &pdf)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {"-layout", pdf, "-"});
    pdftotext.waitForFinished(10000);
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

} // namespace

class CalibrationRecordTest : public QObject {
    Q_OBJECT

private slots:
    void aZeroAndASpanThroughTheWindow()
    {
        LinkedWindowFixture f;
        f.startLinked();
        MainWindow &w = f.w();
        const auto *caption = w.findChild<QLabel *>(QStringLiteral("stabilityCaption"));
        const auto *progress = w.findChild<QProgressBar *>(QStringLiteral("runProgress"));
        // Cancel keeps the number of samples; the next box offers it again.
        f.fake.dialogs.inputAnswers << QString() << QStringLiteral("2 samples");
        w.menuNumberOfSamples->trigger();
        w.menuNumberOfSamples->trigger();
        QCOMPARE(f.fake.dialogs.shown[1].defaultText, QStringLiteral("100"));
        f.transmitter.setReading(20000, 30000, 3, 3);
        w.ZeroButton->click();
        QVERIFY(!w.ZeroButton->isEnabled() && !w.SpanButton->isEnabled());
        QVERIFY(w.CancelButton->isEnabled() && progress->isVisibleTo(&w));
        QCOMPARE(progress->text(), QStringLiteral("Sample 0 of 2"));
        f.poll();
        QCOMPARE(statusLine(w), "Sampling data for Zero Calibration (Sample 1 of  2)|blue");
        QCOMPARE(w.ppmDisplay->text() + w.ppmText->text(), QStringLiteral("sample# 1"));
        QCOMPARE(caption->text(), QStringLiteral("Zero calibration (running)"));
        f.poll();
        QVERIFY(isIdle(w) && !progress->isVisibleTo(&w));
        QVERIFY(w.menuUndoZeroCalibration->isEnabled() && !w.menuUndoSpanCalibration->isEnabled());
        QCOMPARE(w.statusBar()->currentMessage(),
                 QStringLiteral("Zero point stored: T0 30000, R0 20000"));
        QCOMPARE(caption->text(), QStringLiteral("Zero calibration: stored"));
        QCOMPARE(w.findChild<QLabel *>(QStringLiteral("referenceMean"))->text(),
                 QStringLiteral("20000.0"));

        // The character between the span's label and its value is not part of it.
        enterText(w, QStringLiteral("S=1900"));
        f.transmitter.answer("SPAN", "Span = :2000");
        f.transmitter.setReading(20000, 25000, 1903, 1903); // on the span gas
        w.session().NumberOfSamples = 1;
        f.forget();
        w.SpanButton->click();
        f.poll();
        QVERIFY(isIdle(w) && w.menuUndoSpanCalibration->isEnabled());
        w.menuUndoSpanCalibration->trigger();
        COMPARE_GOLDEN(f.fake.port.written, "span_calibration.wire");
        COMPARE_GOLDEN(boxes(f.fake.dialogs).join(u'\n').toUtf8() + '\n', "span_calibration.boxes");
        QCOMPARE(caption->text(), QStringLiteral("Span calibration: undone"));
        QVERIFY(w.menuUndoZeroCalibration->isEnabled() && !w.menuUndoSpanCalibration->isEnabled());
        // The session reads the gas and the ambient from the entries and the
        // corrected label: 1900 ppm at 40 °C is 1809 ppm.
        enterText(w, QStringLiteral("T=40"));
        const GasAndAmbient entered = w.session().ambient();
        QCOMPARE(QStringList({entered.spanGas, entered.corrected, entered.temperatureShown,
                              entered.temperatureUnit, entered.pressureShown, entered.pressureUnit})
                     .join(u' '),
                 QString::fromUtf8("1900 1809 40 °C 1013 hPa"));
        QCOMPARE(entered.temperatureCelsius + entered.pressureHectopascal, 40 + 1013.0);
    }

    void strayKeysCannotHarmARun()
    {
        // The run's start must not hand the focus to the span gas entry, where
        // the next key would replace its text, nor to Cancel, where a Space
        // would end a run of minutes. Alt+C still cancels at once.
        LinkedWindowFixture f;
        f.startLinked();
        f.w().show();
        QVERIFY(QTest::qWaitForWindowActive(&f.w()));
        f.w().ZeroButton->setFocus();
        QTest::keyClick(f.w().ZeroButton, Qt::Key_Space);
        QVERIFY(f.w().session().ZeroCalibrationRunning);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("9 "));
        QCOMPARE(f.w().SpanGasConcentration->text(), QStringLiteral("2000"));
        QVERIFY(f.w().session().ZeroCalibrationRunning);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
        QVERIFY(isIdle(f.w()));
    }

    void theToleranceIsTheTechniciansAndKept()
    {
        LinkedWindowFixture f;
        f.startLinked();
        f.fake.dialogs.inputAnswers << QStringLiteral("fifty") << QStringLiteral("100 + 2");
        f.w().menuCalibrationTolerance->trigger();
        QCOMPARE(f.fake.dialogs.messageTexts().last(),
                 QStringLiteral("The tolerance must be two numbers, such as \"50 ppm + 5 %\"."));
        f.w().menuCalibrationTolerance->trigger();
        QCOMPARE(f.fake.dialogs.shown.last().defaultText, QStringLiteral("50 ppm + 5 %"));
        // Another window, another day: 80 ppm on the zero gas is within 100.
        f.window.reset();
        f.startLinked();
        f.fake.dialogs.inputAnswers << QString(); // Cancel keeps it
        f.w().menuCalibrationTolerance->trigger();
        QCOMPARE(f.fake.dialogs.shown.last().defaultText, QStringLiteral("100 ppm + 2 %"));
        f.forget();
        f.w().session().NumberOfSamples = 10;
        f.w().menuAccuracyCheckZero->trigger();
        f.readings(QList<double>(10, 80));
        QVERIFY(
            f.fake.dialogs.messageTexts().last().startsWith(u"Accuracy check with zero gas: PASS"));
        // The limit of a plausible correction is kept beside it, and a
        // calibration past it asks.
        f.fake.dialogs.inputAnswers << QStringLiteral("100 ppm at zero, 10 % at span");
        f.w().menuCorrectionLimit->trigger();
        f.w().ZeroButton->click();
        f.readings(QList<double>(10, 150));
        QCOMPARE(f.fake.dialogs.messageTexts()
                     .filter(u"a correction of 150 ppm is more than the 100 ppm")
                     .size(),
                 1);
    }

    void aDriftedZeroIsCalibratedWithoutAQuestionAndCertifiedAsLeft()
    {
        // A transmitter 70 ppm off at zero fails its check; the zero the box
        // offers is stored without a question. The span gas let in right
        // after the store takes nothing from the zero's as left.
        LinkedWindowFixture f;
        f.startLinked();
        MainWindow &w = f.w();
        w.session().NumberOfSamples = 5;
        w.menuAccuracyCheckZero->trigger();
        f.readings(QList<double>(5, 70));
        f.readings(QList<double>(5, 70)); // the zero run the failed check offered
        f.readings({0, 1914, 1928, 1928, 1933});
        QCOMPARE(f.fake.dialogs.messageTexts().size(), 4);
        QVERIFY(f.fake.dialogs.messageTexts()[1].endsWith(u"Calibrate the zero point now?"));
        QCOMPARE(f.fake.dialogs.messageTexts()[3], QStringLiteral("Zero Point Set And Saved"));
        f.transmitter.answer("SPAN", "Span = :2000");
        w.SpanButton->click();
        f.readings(QList<double>(5, 1914), 20000, 25000);
        f.fake.dialogs.formAnswers
            << QMap<QString, QString> {{"Transmitter type", "K-33"}, {"Serial number", "0712345"}};
        w.menuCalibrationReport->trigger();
        QCOMPARE(f.fake.printer.reports.size(), 1);
        QStringList verdicts;
        for (const ReportResult &r : f.fake.printer.reports[0].results)
            verdicts << r.point + u' ' + r.asLeft + u' ' + r.verdict;
        QCOMPARE(verdicts,
                 QStringList({"Check zero 70.0 FAIL", "Zero calibration 0.0 PASS",
                              "Span calibration - STORED"}));
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
        const QString record = f.fake.desktop.dataFolder() + QStringLiteral("/calibrations.csv");
        QVERIFY(QDir().mkpath(f.fake.desktop.dataFolder()));
        QVERIFY(QFile::copy(QStringLiteral(GOLDEN_DIR "/earlier_calibrations.csv"), record));
        f.window = std::make_unique<MainWindow>(
            Platform {f.fake.port, f.fake.dialogs, f.fake.desktop, f.fake.clock, printer});
        f.transmitter.answer("VER", "STD0420A");
        MainWindow &w = f.w();
        // No report before a check or calibration, nor during one.
        w.menuCalibrationReport->trigger();
        // As found on the span gas, then both points calibrated.
        w.session().NumberOfSamples = 5;
        w.menuAccuracyCheckSpan->trigger();
        f.readings({2093, 2095}, 20000, 25000, 1);
        w.menuCalibrationReport->trigger();
        QCOMPARE(f.fake.dialogs.messageTexts().value(0),
                 "No check or calibration has been recorded in this session.");
        QCOMPARE(f.fake.dialogs.messageTexts().last(), "Not possible during calibration!");
        f.readings({2092, 2094, 2093}, 20000, 25000, 1);
        w.session().NumberOfSamples = 10;
        w.ZeroButton->click();
        f.readings({30, 22, 17, 13, 11, 9, 8, 7, 7, 6}, 20000, 30000, 2);
        f.readings({1, 0, 1, 0, 0}, 20001, 30002, 0); // as left
        w.SpanButton->click();
        f.readings({2150, 2120, 2100, 2090, 2080, 2075, 2070, 2068, 2066, 2081}, 20000, 25000, 5);
        f.readings({2003, 2001, 1999, 2002, 2000}, 20000, 25005, 0);

        // The type and serial number typed for the parameter sheet are
        // offered; a Cancel prints nothing, and a form that cannot make a
        // report is shown again as typed.
        QTemporaryDir pdfFolder;
        const QString pdf = qEnvironmentVariable("KESTRIN_REPORT_PDF", pdfFolder.filePath("r.pdf"));
        w.session().TransmitterTypeAndSerial = QStringLiteral("K-33 ICB / 0712345");
        using Typed = QMap<QString, QString>;
        const QString months = QStringLiteral("Next calibration in (months)");
        f.fake.dialogs.formAnswers << std::nullopt << Typed {{months, "0"}}
                                   << Typed {{months, "6"},
                                             {"Span gas cylinder or lot", "cylinder CY-0815"},
                                             {"Span gas uncertainty (% or ppm)", "2 %"}};
        f.fake.dialogs.saveAnswers << pdf;
        f.forget();
        w.menuCalibrationReport->trigger();
        w.menuCalibrationReport->trigger();
        QCOMPARE(f.transmitter.commands, QList<QByteArray>({"VER"}));
        QCOMPARE(f.fake.dialogs.shown.size(), 6);
        // The form as it opens: a field a line, its label and what it offers.
        COMPARE_GOLDEN(f.fake.dialogs.shown[0].defaultText.toUtf8() + '\n', "report_form.txt");
        QVERIFY(f.fake.dialogs.shown[3].defaultText.endsWith(u"(months)=0"));
        QVERIFY(f.fake.dialogs.shown[4].defaultText.endsWith(u"/K-33_ICB-0712345-2026-12-06.pdf"));
        QCOMPARE(f.fake.dialogs.messageTexts(),
                 QStringList({"The next calibration is due in 1 to 120 months.",
                              "The calibration report has been saved in\r" + pdf}));

        // Among the lines, the zero stored although its gas was still
        // flushing the cell.
        const QString layout = pdfText(pdf);
        QCOMPARE(layout.count(u'\f'), 1); // one page
        QStringList lines;
        for (const QString &line : layout.split(u'\n'))
            lines << line.simplified();
        const QString expected = QString::fromUtf8(readFile(GOLDEN_DIR "/certificate_lines.txt"));
        for (const QString &line : expected.split(u'\n', Qt::SkipEmptyParts))
            QVERIFY2(lines.contains(line), qPrintable(line));
        // Both plots' concentration axes have their ticks: 0 to 40 ppm at
        // the zero, 1950 to 2200 ppm at the span.
        const qsizetype plots = lines.indexOf("Zero point: ppm against seconds of the run Span "
                                              "point: ppm against seconds of the run");
        QStringList ticks = lines.mid(plots + 2, lines.indexOf("seconds seconds") - plots - 3)
                                .join(u' ')
                                .split(u' ', Qt::SkipEmptyParts);
        std::sort(ticks.begin(), ticks.end(),
                  [](const QString &a, const QString &b) { return a.toInt() < b.toInt(); });
        QCOMPARE(ticks.join(u' '), "0 10 20 30 40 1950 2000 2050 2100 2150 2200");

        // The certificate is in the record, naming the session's two events;
        // the next report offers the next number.
        const QByteArray rows = readFile(record);
        QVERIFY2(rows.endsWith(",certificate,KC-2026-0042,,,,,,,,,,,,,,,,,,,,,,,,,,,,"
                               "type=K-33 ICB; serial=0712345; events=4 5 6\n"),
                 rows.constData());
        // A file that cannot be made is a failure, not a certificate.
        const QString nowhere = pdfFolder.filePath("no/r.pdf");
        f.fake.dialogs.saveAnswers << nowhere;
        w.menuCalibrationReport->trigger();
        QCOMPARE(f.fake.dialogs.messageTexts().last(),
                 "The file " + nowhere + " could not be written.");
        QVERIFY(f.fake.dialogs.shown[6].defaultText.contains(u"Certificate number=KC-2026-0043"));
        QCOMPARE(readFile(record), rows);
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
        facts.answers.intervalMonths = QStringLiteral("12");
        HistoryEntry earlier {{}, "KC-0", "check span", "2000", "2031.0", "2031.0"};
        for (int i = 1; i <= 9; ++i) {
            earlier.time = QDateTime(QDate(2017 + i, 3, 1), QTime(8, 0));
            facts.history << earlier;
        }
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
};

QTEST_MAIN(CalibrationRecordTest)
#include "tst_calibration_record.moc"
