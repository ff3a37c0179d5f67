// The report's model without a window or printer: the rows of checks and
// calibrations, what the form offers and keeps, and a transmitter's history
// read from a record file.

#include "certificate/calibration_report.h"
#include "certificate/result_uncertainty.h"

#include <QCoreApplication>
#include <QFile>
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
QByteArray readGolden(const char *name)
{
    QFile file(QStringLiteral(GOLDEN_DIR "/") + QLatin1String(name));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

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
        // Each row's figures joined by "|", one row a line.
        QCOMPARE(rows.join(u'\n') + u'\n', QString::fromUtf8(readGolden("certificate_rows.txt")));
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

    void theFormCountsCertificates()
    {
        // The last number kept, and the one offered next in 2026.
        const std::pair<const char *, const char *> counted[] {
            {"", "KC-2026-0001"},
            {"KC-2026-0041", "KC-2026-0042"},
            {"KC-2025-0041", "KC-2026-0001"}, // a new year
            {"LAB/CO2-2026-17", "LAB/CO2-2026-0018"}, // the laboratory's own prefix
            {"KC-2026-9999", "KC-2026-10000"},
            {"Cert 0099", "Cert 0100"}, // counted only
            {"none yet", "KC-2026-0001"},
        };
        for (const auto &[last, next] : counted)
            QCOMPARE(nextCertificateNumber(QString::fromLatin1(last), 2026), QLatin1String(next));
    }

    void theFormsAnswersAreCheckedAndTheSheetsEntrySplit()
    {
        ReportAnswers a {"", "", "KC-1", "K-33", "1", "", "", "", "", "", "12"};
        QCOMPARE(reportAnswersProblem(a), QString());
        // The window's form test asks again at 0 months; past ten years too.
        a.intervalMonths = QStringLiteral("121");
        QVERIFY(reportAnswersProblem(a).startsWith(u"The next calibration is due in 1 to 120"));
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
            seen << QStringList {h.time.toUTC().toString(Qt::ISODate),
                                 h.certificate,
                                 h.kind,
                                 h.applied,
                                 h.asFound,
                                 h.asLeft}
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
