// The report's model without a window or printer: the rows of checks and
// calibrations, what the form offers and keeps, and a transmitter's history
// read from a record file.

#include "certificate/calibration_report.h"
#include "certificate/result_uncertainty.h"

#include <QCoreApplication>
#include <QTest>
#include <QTimeZone>

namespace {

// A settled run with a reading noise of `noise` over `readings`; a span's gas
// is 2000 ppm, typed at 25 °C and 1013 hPa, so corrected to 2000.
CalibrationEvent runOf(CalibrationKind kind, QTime time, double asFound, double tolerance = 50,
                       double noise = 0, int readings = 10)
{
    CalibrationEvent e;
    e.kind = kind;
    e.time = QDateTime(QDate(2026, 12, 6), time);
    e.port = QStringLiteral("COM2");
    e.spanGas = e.corrected = QStringLiteral("2000");
    e.temperatureShown = QStringLiteral("25");
    e.temperatureUnit = QStringLiteral("°C");
    e.temperatureCelsius = 25;
    e.pressureShown = QStringLiteral("1013");
    e.pressureUnit = QStringLiteral("hPa");
    e.pressureHectopascal = 1013;
    RunJudgement j;
    j.settled = j.plausible = j.healthy = true;
    j.asFoundPpm = asFound;
    j.appliedPpm = *appliedGas(e);
    j.differencePpm = asFound - j.appliedPpm;
    j.tolerancePpm = tolerance;
    j.noisePpm = noise;
    j.readings = readings;
    e.judgement = j;
    e.trace.add(0, asFound);
    return e;
}

// One row of the results table, its figures joined by "|".
QString row(const ReportResult &r)
{
    return QStringList {r.time,        r.point,           r.applied,        r.asFound,
                        r.asLeft,      r.foundDifference, r.leftDifference, r.tolerance,
                        r.uncertainty, r.verdict,         r.judgement}
        .join(u'|');
}

} // namespace

class CalibrationReportTest : public QObject {
    Q_OBJECT

private slots:
    void asLeftCountsWhileTheGasIsTheRunsGas_data()
    {
        QTest::addColumn<QList<double>>("readings");
        QTest::addColumn<double>("applied"); // the tolerance is 50 ppm + 5 %
        QTest::addColumn<double>("correction"); // the run's as found less the gas
        QTest::addColumn<double>("noise");
        QTest::addColumn<QString>("counted");
        // At zero the floor is 20 ppm, at 2000 ppm 60 ppm; 2 noises count
        // with the mean's share: 2 * 20 * sqrt(2) = 57 ppm past one reading.
        using L = QList<double>;
        QTest::newRow("zero gas throughout") << L {3, 0, 5, 2, 1} << 0. << 10. << 0. << "1-5";
        QTest::newRow("span gas after one")
            << L {0, 1914, 1928, 1928, 1933} << 0. << 29. << 0. << "1";
        QTest::newRow("span gas after three")
            << L {2, 0, 3, 1960, 2001} << 0. << 29. << 0. << "1-3";
        QTest::newRow("slow lag: adds up against the mean")
            << L {0, 12, 24, 36, 48} << 0. << 29. << 0. << "1-3";
        QTest::newRow("lag: after three") << L {2, 0, 3, 31, 190} << 0. << 29. << 0. << "1-3";
        QTest::newRow("noise of 20 at zero") << L {10, 50, 5, 40, 12} << 0. << 29. << 20. << "1-5";
        QTest::newRow("zero gas after two, at span")
            << L {2003, 1990, 1700, 900, 300} << 2000. << 90. << 10. << "1-2";
        // A store that left the transmitter 300 ppm off still shows it.
        QTest::newRow("300 off") << L {300, 302, 298, 301, 299} << 0. << 20. << 6. << "1-5";
        QTest::newRow("300 off, span gas after two")
            << L {300, 303, 2100, 2400, 2300} << 0. << 20. << 6. << "1-2";
        // After a correction of 149 ppm the first reading may still average
        // old conversions, or show a store that did not take; the second tells.
        QTest::newRow("first a mixture") << L {84, 9, 6, 10, 14} << 0. << 149. << 14. << "2-5";
        QTest::newRow("mixture, then span gas") << L {84, 46, 446, 797} << 0. << 149. << 14. << "2";
        QTest::newRow("mixture or not? span gas") << L {84, 446, 797} << 0. << 149. << 14. << "";
        QTest::newRow("store did not take") << L {150, 151, 149} << 0. << 150. << 0. << "2-3";
    }
    void asLeftCountsWhileTheGasIsTheRunsGas()
    {
        QFETCH(QList<double>, readings);
        QFETCH(double, applied);
        QFETCH(double, correction);
        QFETCH(double, noise);
        const AsLeftFigures figures {applied, 50 + applied / 20, noise, correction};
        QTEST(asLeftSpanText(countedAsLeft(readings, figures)), "counted");
    }

    void eachCheckAndCalibrationIsARowWithItsVerdictAndUncertainty()
    {
        // U = 2 sqrt(gas^2 + mean^2 + 1/12 + pressure^2 + temperature^2):
        // - span checks, gas "±10 ppm" (k = 2): 5; noise 4 over 16 readings: 1;
        //   2000 * 1013 / (1013 + 1.45 (1013 - p)) from 1012.5 to 1013.5 hPa
        //   moves by 2.86283, and 2000 * 298 / (273 + t) from 24.5 to 25.5 °C
        //   by 6.71142, each / sqrt(12): 25 + 1 + 0.08333 + 0.68298 + 3.75360
        //   = 30.51991, U = 11.05; without the mean's 1: U = 10.87; typed
        //   in °F, a step of 5/9 °C: 25 + 0.08333 + 0.68298 + 3.75360 * 25/81
        //   = 26.92484, U = 10.38.
        // - zero gas "2" ppm: 1; the zero check's noise 6 over 4 readings: 3:
        //   1 + 9 + 0.08333, U = 6.35; without readings: 1.08333, U = 2.08;
        //   the stored zero left 300 off, the run's noise 6 over its 5 counted
        //   as-left readings: 1 + 36 / 5 + 0.08333 = 8.28333, U = 5.76.
        CalibrationEvent unsettled = runOf(CalibrationKind::CheckZero, QTime(9, 12), 31);
        CalibrationEvent zeroCheck = runOf(CalibrationKind::CheckZero, QTime(9, 7), 4, 50, 6, 4);
        unsettled.check = CheckOutcome::NotSettled;
        unsettled.judgement->settled = false;
        unsettled.judgement->settledness.trendQuestioned = true;
        unsettled.judgement->settledness.trend = Estimate {-12.5, 1};
        CalibrationEvent overridden = runOf(CalibrationKind::Zero, QTime(9, 10), 31);
        overridden.judgement = unsettled.judgement;
        overridden.result.warning = QStringLiteral("still falling -12.5 ppm/min");
        overridden.asLeft = {0, 1914, 1928, 1928, 1933}; // the span gas came at once
        CalibrationEvent checked = runOf(CalibrationKind::Span, QTime(9, 20), 2090, 150);
        checked.asLeft = {2155, 2150, 2152};
        CalibrationEvent check = runOf(CalibrationKind::CheckSpan, QTime(9, 22), 2010, 150, 4, 16);
        CalibrationEvent leftOff = runOf(CalibrationKind::Zero, QTime(9, 25), 20, 50, 6);
        leftOff.asLeft = {300, 302, 298, 301, 299};
        CalibrationEvent undone = runOf(CalibrationKind::Span, QTime(9, 30), 2090, 150);
        undone.asLeft = {2080, 2001}; // the first still averaging from before the store
        undone.temperatureShown = QStringLiteral("77"); // 25 °C
        undone.temperatureUnit = QStringLiteral("°F");
        CalibrationEvent undo = runOf(CalibrationKind::UndoSpan, QTime(9, 31), 0);
        CalibrationEvent refused = runOf(CalibrationKind::Span, QTime(9, 40), 2000, 150);
        refused.result = {StoreResult::Outcome::Rejected, QStringLiteral("TS24995")};
        CalibrationEvent unread = runOf(CalibrationKind::Zero, QTime(9, 45), 5);
        CalibrationEvent failed = runOf(CalibrationKind::CheckSpan, QTime(9, 50), 1801, 150, 4, 16);
        failed.check = CheckOutcome::Fail;
        failed.pressureShown = QStringLiteral("101.3"); // a step of 1 hPa
        failed.pressureUnit = QStringLiteral("kPa");
        failed.time = failed.time.addDays(1);

        ReportFacts facts;
        facts.answers.spanGasUncertainty = QStringLiteral("±10 ppm");
        facts.answers.zeroGasUncertainty = QStringLiteral("2");
        // The zero check whose gas had not settled shows nothing of the zero
        // before it.
        const QList<CalibrationEvent> session {zeroCheck, overridden, unsettled, checked,
                                               check,     leftOff,    undone,    undo,
                                               refused,   unread,     failed};
        const auto report = calibrationReport(session, facts);
        QVERIFY(report);
        QStringList rows;
        for (const ReportResult &r : report->results)
            rows << row(r);
        QCOMPARE(rows,
                 QStringList({
                     "12-06 09:07|Check zero|0|4.0|4.0|+4.0|+4.0|±50|±6.4|PASS|Settled.",
                     "12-06 09:10|Zero calibration|0|31.0|0.0|+31.0|0.0|±50|±2.1|PASS|Stored "
                     "after the technician overrode the doubts: The CO2 reading was still falling "
                     "during the run: −13 ppm/min. As left from reading 1 of the 5 after the "
                     "store; the rest were set aside (the next gas, or an average from before "
                     "the store).",
                     "12-06 09:12|Check zero|0|31.0|31.0|+31.0|+31.0|±50|±2.1|NOT SETTLED|The CO2 "
                     "reading was still falling during the run: −13 ppm/min.",
                     "12-06 09:20|Span calibration|2000|2090.0|2010.0|+90.0|+10.0|±150|±11.0|PASS|"
                     "Settled. As left from the check at 09:22.",
                     "12-06 09:22|Check span|2000|2010.0|2010.0|+10.0|+10.0|±150|±11.0|PASS|"
                     "Settled.",
                     "12-06 09:25|Zero calibration|0|20.0|300.0|+20.0|+300.0|±50|±5.8|FAIL|"
                     "Settled.",
                     "12-06 09:30|Span calibration|2000|2090.0|2001.0|+90.0|+1.0|±150|±10.4|"
                     "UNDONE|Settled. Undone at 09:31. As left from reading 2 of the 2 after the "
                     "store; the rest were set aside (the next gas, or an average from before "
                     "the store).",
                     "12-06 09:40|Span calibration|2000|2000.0|-|0.0||±150||NOT STORED|"
                     "Rejected: TS24995. Settled.",
                     "12-06 09:45|Zero calibration|0|5.0|-|+5.0||±50||STORED|Settled. As left "
                     "not measured.",
                     "09:50|Check span|2000|1801.0|1801.0|-199.0|-199.0|±150|±11.0|FAIL|Settled.",
                 }));
        QVERIFY(!report->uncertaintyNote.contains(u"Not included"));
        facts.answers.zeroGasUncertainty.clear();
        QVERIFY(calibrationReport(session, facts)
                    ->uncertaintyNote.endsWith(
                        "Not included, as the form gave none: the zero gas's uncertainty."));
        // A plot per point, the latest three runs at it with their times.
        QCOMPARE(report->plots[0].runs[1].label, QStringLiteral("09:25 calibration"));
        QCOMPARE(report->plots[1].runs.size(), 3);
        QCOMPARE(report->plots[1].runs[0].label, QStringLiteral("09:30 calibration"));
    }

    void theFormCountsCertificatesAndChecksItsAnswers_data()
    {
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("next");
        QTest::newRow("first") << ""
                               << "KC-2026-0001";
        QTest::newRow("same year") << "KC-2026-0041"
                                   << "KC-2026-0042";
        QTest::newRow("new year") << "KC-2025-0041"
                                  << "KC-2026-0001";
        QTest::newRow("own prefix") << "LAB/CO2-2026-17"
                                    << "LAB/CO2-2026-0018";
        QTest::newRow("past 9999") << "KC-2026-9999"
                                   << "KC-2026-10000";
        QTest::newRow("counted only") << "Cert 0099"
                                      << "Cert 0100";
        QTest::newRow("no number") << "none yet"
                                   << "KC-2026-0001";
    }
    void theFormCountsCertificatesAndChecksItsAnswers()
    {
        QFETCH(QString, last);
        QFETCH(QString, next);
        QCOMPARE(nextCertificateNumber(last, 2026), next);
    }

    void theFormsAnswersAreCheckedAndTheSheetsEntrySplit()
    {
        ReportAnswers a {"", "", "KC-1", "K-33", "1", "", "", "", "", "", "12"};
        QCOMPARE(reportAnswersProblem(a), QString());
        for (const char *months : {"0", "121", "x"}) {
            a.intervalMonths = QString::fromLatin1(months);
            QCOMPARE(reportAnswersProblem(a),
                     QStringLiteral("The next calibration is due in 1 to 120 months."));
        }
        a.intervalMonths = QStringLiteral("120");
        a.serial.clear();
        QCOMPARE(reportAnswersProblem(a),
                 QStringLiteral("The report needs the transmitter's type and serial number."));

        using Pair = std::pair<QString, QString>;
        QCOMPARE(splitTypeAndSerial("K-33 ICB 07/12 345"), Pair("K-33 ICB 07", "12 345"));
        QCOMPARE(splitTypeAndSerial("0712345"), Pair("", "0712345"));
        QCOMPARE(reportFileName("K:33*", "a\"b<c>|d?", QDate(2026, 1, 2)),
                 QStringLiteral("K_33_-a_b_c_d_-2026-01-02.pdf"));
    }

    void theHistoryOfASerialNumberComesFromItsCertificates()
    {
        // Two transmitters; a reprinted certificate names events again, one
        // of them no longer (or not yet) in the file; a quoted doubt spans
        // two lines. A certificate's columns between its number and the last
        // are empty. The first as-left row is from before the rows said which
        // readings counted.
        const QString gap(28, u',');
        const QString record = calibrationRecordHeader() + QStringLiteral(R"(
1,calibration,2025-06-02T07:00:00Z,COM1,tty0,V1,zero,stored,10,,,0,,,,,,,,,,,,,,,,,12.0,,,,,,50,
1,as left,2025-06-02T07:01:00Z,COM1,tty0,V1,zero,,,,,,,,,,,,,,,,,,,,,,,0.5,0.7,1914,,,,
2,calibration,2025-06-02T07:10:00Z,COM1,tty0,V1,check span,pass,10,,,2000,,,,,,,,,,,,,,,,,2061.5,,,,,,150,"off,
by 61"
3,calibration,2025-06-02T07:15:00Z,COM2,tty1,V1,zero,stored,10,,,0,,,,,,,,,,,,,,,,,40.0,,,,,,50,
4,certificate,2025-06-02T07:20:00Z,COM1,tty0,V1,certificate,KC-2025-0007)")
            + gap + QStringLiteral(R"(type=K-33; serial=0712345; events=1 2
5,certificate,2025-06-02T07:21:00Z,COM2,tty1,V1,certificate,KC-2025-0008)")
            + gap + QStringLiteral(R"(type=K-33; serial=999; events=3

6,calibration,2026-01-10T09:00:00Z,COM1,tty0,V1,span,stored,10,,,2000,,,,,,,,,,,,,,,,,2040.0,,,,,,150,
6,as left,2026-01-10T09:01:00Z,COM1,tty0,V1,span,,,,,,,,,,,,,,,,,,,,,,,2001,2003,,,,,,1
7,calibration,2026-01-10T09:05:00Z,COM1,tty0,V1,zero,rejected: R0,10,,,0,,,,,,,,,,,,,,,,,9.0,,,,,,50,
8,certificate,2026-01-10T09:20:00Z,COM1,tty0,V1,certificate,KC-2026-0001)")
            + gap + QStringLiteral("type=K-33; serial=0712345; events=7 6 2 77\n");

        QStringList seen;
        for (const HistoryEntry &h : transmitterHistory(record, QStringLiteral(" 0712345 ")))
            seen << QStringList {h.time.toUTC().toString(Qt::ISODate), h.certificate, h.kind,
                                 h.applied, h.asFound, h.asLeft}
                        .join(u'|');
        QCOMPARE(seen,
                 QStringList({"2025-06-02T07:00:00Z|KC-2025-0007|zero|0|12.0|0.6",
                              "2025-06-02T07:10:00Z|KC-2025-0007|check span|2000|2061.5|2061.5",
                              "2026-01-10T09:00:00Z|KC-2026-0001|span|2000|2040.0|2001.0",
                              "2026-01-10T09:05:00Z|KC-2026-0001|zero|0|9.0|"}));
        // The report's own events are not its history.
        QCOMPARE(transmitterHistory(record, "0712345", {1, 6, 7}).size(), 1);
        QCOMPARE(transmitterHistory(record, "999").size(), 1);
        QVERIFY(transmitterHistory(record, "").isEmpty());
        QVERIFY(transmitterHistory(record, "071234").isEmpty());
    }
};

QTEST_GUILESS_MAIN(CalibrationReportTest)
#include "tst_calibration_report.moc"
