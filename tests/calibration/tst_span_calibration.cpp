// The span calibration: its start with the transmitter's span and the 10 %
// check, the new TS from the run through the inverse function, the undo, and
// the values that must never reach the transmitter.

#include "tst_calibration.h"

#include "calibration/span_point.h"
#include "calibration_fixture.h"

#include <cmath>

Q_DECLARE_METATYPE(SpanInputs)

void SpanCalibrationTest::wholeSpanCalibrationAndItsUndo()
{
    CalibrationFixture f;
    f.zeroCalibrate(20000, 30000);
    f.enter({"S=1900"});
    // The character between the label and the value is not part of it.
    f.transmitter.answer("SPAN", "Span = :2000");
    f.transmitter.setReading(20000, 25000, 0, 0);
    f.w().SpanButton->click();
    QVERIFY(f.w().SpanCalibrationRunning);
    QCOMPARE(f.w().TransmitterSpan, QStringLiteral("2000"));
    f.poll();
    QVERIFY(isIdle(f.w()));
    QCOMPARE(f.w().NewTS, QStringLiteral("24828"));
    QCOMPARE(f.w().NewRS, QStringLiteral("20000"));
    QVERIFY(f.w().menuUndoSpanCalibration->isEnabled());

    f.w().menuUndoSpanCalibration->trigger();
    QVERIFY(!f.w().menuUndoSpanCalibration->isEnabled());

    COMPARE_GOLDEN(f.fake.port.written, "span_calibration.wire");
    // The store shows what the zero calibration's does; the run its own
    // progress, and its "Wait..." keeps the blue of the zero run's end.
    QCOMPARE(f.seen.mid(3, 3),
             QStringList({
                 "X|Wait...|blue|normal",
                 "TS24828|Sampling data for Span Calibration (Sample 1 of  1)|blue|normal",
                 "RS20000|Sampling data for Span Calibration (Sample 1 of  1)|blue|normal",
             }));
    QCOMPARE(boxes(f.fake.dialogs),
             QStringList({
                 "The transmitter parameters are for 2000 ppm.<CR>Are you ready with the "
                 "ambient settings and with the span gas?|OK+Cancel|question|app title",
                 "Span Point Set And Saved|OK|no icon|app title",
                 "Undo Span Calibration? Please Confirm!|OK+Cancel|question|app title",
                 "Span Point Set And Saved|OK|no icon|app title",
             }));
    QVERIFY(!f.fake.desktop.busy);
    QCOMPARE(f.fake.desktop.beeps, 0);
}

void SpanCalibrationTest::spanPointFromTheRun_data()
{
    QTest::addColumn<QByteArray>("span");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("duringRun");
    QTest::addColumn<double>("rx");
    QTest::addColumn<double>("tx");
    QTest::addColumn<QByteArray>("stored");

    using L = QStringList;
    // 2000 ppm at 40 °C is 1904 ppm: the label counts, not the entry.
    QTest::newRow("corrected label") << QByteArray("2000") << L {"T=40"} << L {} << 20000.0
                                     << 25000.0 << QByteArray("TS24835\rRS20000\r");
    QTest::newRow("label read again at the end")
        << QByteArray("2000") << L {} << L {"S=2100"} << 20000.0 << 25000.0
        << QByteArray("TS25157\rRS20000\r");
    QTest::newRow("C equal to S keeps the means") << QByteArray("2000") << L {} << L {} << 19876.0
                                                  << 24321.0 << QByteArray("TS24321\rRS19876\r");
    QTest::newRow("transmitter span 2100") << QByteArray("2100") << L {} << L {} << 20000.0
                                           << 25000.0 << QByteArray("TS24837\rRS20000\r");
}

void SpanCalibrationTest::spanPointFromTheRun()
{
    QFETCH(QByteArray, span);
    QFETCH(QStringList, before);
    QFETCH(QStringList, duringRun);
    QFETCH(double, rx);
    QFETCH(double, tx);
    QFETCH(QByteArray, stored);
    CalibrationFixture f;
    f.zeroCalibrate(20000, 30000);
    f.transmitter.answer("SPAN", "Span =  " + span);
    f.enter(before);
    f.transmitter.setReading(rx, tx, 0, 0);
    f.w().SpanButton->click();
    f.enter(duringRun);
    f.poll();
    QCOMPARE(f.fake.port.written, "SPAN\rTS\rRS\rX\r" + stored + "SAVE\rNOTEST\r");
}

void SpanCalibrationTest::tenPercentWarning_data()
{
    QTest::addColumn<QString>("spanGas");
    QTest::addColumn<bool>("warned");
    QTest::addColumn<bool>("goOn");

    QTest::newRow("1800") << "1800" << false << true;
    QTest::newRow("2200") << "2200" << false << true;
    QTest::newRow("1799 OK") << "1799" << true << true;
    QTest::newRow("2201 OK") << "2201" << true << true;
    QTest::newRow("2201 Cancel") << "2201" << true << false;
}

void SpanCalibrationTest::tenPercentWarning()
{
    QFETCH(QString, spanGas);
    QFETCH(bool, warned);
    QFETCH(bool, goOn);
    CalibrationFixture f;
    f.zeroCalibrate();
    f.enter({"S=" + spanGas});
    QCOMPARE(f.w().CorrectedConcentration->text(), spanGas);
    f.fake.dialogs.messageAnswers << MessageResult::Ok
                                  << (goOn ? MessageResult::Ok : MessageResult::Cancel);
    f.w().SpanButton->click();
    const QStringList shown = boxes(f.fake.dialogs);
    QCOMPARE(shown.size(), warned ? 2 : 1);
    if (warned)
        QVERIFY2(shown.last().startsWith("Warning! Corrected gas concentration must be within ±10%")
                     && shown.last().endsWith("|OK+Cancel|question|app title"),
                 qPrintable(shown.last()));
    QCOMPARE(f.fake.desktop.beeps, warned ? 1 : 0);
    QCOMPARE(f.w().SpanCalibrationRunning, goOn);
    const QList<QByteArray> sent
        = goOn ? QList<QByteArray> {"SPAN", "TS", "RS"} : QList<QByteArray> {"SPAN"};
    QCOMPARE(f.transmitter.commands, sent);
}

void SpanCalibrationTest::unusableValuesStoreNothing_data()
{
    QTest::addColumn<QByteArray>("span");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("duringRun");
    QTest::addColumn<QList<double>>("readings"); // zero run Rx, span run Rx and Tx
    QTest::addColumn<QString>("message");

    using L = QStringList;
    using D = QList<double>;
    const D normal {20000, 20000, 25000};
    const QString span = QStringLiteral("The span the transmitter reports (%1 ppm) cannot be used");
    const QString corrected = QStringLiteral("The corrected span gas concentration (%1 ppm)");
    // Refused at the start, before the technician is asked to confirm.
    QTest::newRow("transmitter span 0") << QByteArray("0") << L {} << L {} << normal << span.arg(0);
    QTest::newRow("transmitter span 1") << QByteArray("1") << L {} << L {} << normal << span.arg(1);
    QTest::newRow("transmitter span not a number")
        << QByteArray("abc") << L {} << L {} << normal << "Failed to fetch current Span, try again";
    QTest::newRow("corrected without a value")
        << QByteArray("2000") << L {"T=-273"} << L {} << normal << corrected.arg("????");
    QTest::newRow("corrected 0") << QByteArray("2000") << L {"S=0"} << L {} << normal
                                 << corrected.arg("0");
    QTest::newRow("corrected negative")
        << QByteArray("2000") << L {"P=1800"} << L {} << normal << corrected.arg("-15810");
    // Refused at the end of the run.
    const QString notStored = QStringLiteral("Span point not stored.\r");
    QTest::newRow("span gas changed to 0")
        << QByteArray("2000") << L {} << L {"S=0"} << normal << notStored + corrected.arg("0");
    QTest::newRow("span gas changed to 1")
        << QByteArray("2000") << L {} << L {"S=1"} << normal << notStored + corrected.arg("1");
    QTest::newRow("temperature changed to -273") << QByteArray("2000") << L {} << L {"T=-273"}
                                                 << normal << notStored + corrected.arg("????");
    QTest::newRow("R0 of 0") << QByteArray("2000") << L {} << L {} << D {0, 20000, 25000}
                             << notStored + "The zero point's reference signal R0 is not above 0";
    QTest::newRow("mean reference 0")
        << QByteArray("2000") << L {} << L {} << D {20000, 0, 25000}
        << notStored + "The mean reference signal of the span run is not above 0";
    // 1800 ppm and a CO2 signal far below the zero point's give a negative TS.
    const QString outOfRange
        = QStringLiteral("The computed span parameter TS is outside the range");
    QTest::newRow("TS below 0") << QByteArray("2000") << L {} << L {"S=1800"}
                                << D {20000, 20000, 1000} << notStored + outOfRange;
}

void SpanCalibrationTest::unusableValuesStoreNothing()
{
    QFETCH(QByteArray, span);
    QFETCH(QStringList, before);
    QFETCH(QStringList, duringRun);
    QFETCH(QList<double>, readings);
    QFETCH(QString, message);
    CalibrationFixture f;
    f.zeroCalibrate(readings[0], 30000);
    f.transmitter.answer("SPAN", "Span =  " + span);
    f.enter(before);
    f.transmitter.setReading(readings[1], readings[2], 0, 0);
    f.w().SpanButton->click();
    const bool started = f.w().SpanCalibrationRunning;
    if (started) {
        f.enter(duringRun);
        f.poll();
    }
    QVERIFY(isIdle(f.w()));
    QCOMPARE(f.fake.port.written, started ? QByteArray("SPAN\rTS\rRS\rX\r") : QByteArray("SPAN\r"));
    const QStringList messages = f.fake.dialogs.messageTexts();
    QCOMPARE(messages.size(), started ? 2 : 1);
    QVERIFY2(messages.last().startsWith(message), qPrintable(messages.last()));
    QCOMPARE(f.w().menuUndoSpanCalibration->isEnabled(), started);
    // A second try after a correction needs no restart of the program.
    f.transmitter.answer("SPAN", "Span =  2000");
    f.enter({"S=2000", "T=25", "P=1013"});
    f.w().SpanButton->click();
    QVERIFY(f.w().SpanCalibrationRunning);
}

void SpanCalibrationTest::computeSpanTS_data()
{
    QTest::addColumn<SpanInputs>("in");
    QTest::addColumn<double>("ts");
    QTest::addColumn<int>("problem"); // -1: none

    const auto worked
        = [](double c, double s) { return SpanInputs {c, s, 30000, 20000, 25000, 20000, 0.2}; };
    QTest::newRow("1900 ppm") << worked(1900, 2000) << 24827.82 << -1;
    QTest::newRow("2100 ppm") << worked(2100, 2000) << 25157.43 << -1;
    QTest::newRow("C equal to S keeps TxMean")
        << SpanInputs {2000, 2000, 30000, 20000, 24321, 19876, 0.2} << 24321.0 << -1;
    // A steeper tube curve scales the drop less.
    QTest::newRow("tube coefficient 0.5")
        << SpanInputs {1900, 2000, 30000, 20000, 25000, 20000, 0.5} << 24931.83 << -1;

    const int corrected = int(SpanProblem::CorrectedNotUsable);
    const int span = int(SpanProblem::SpanNotUsable);
    const int range = int(SpanProblem::ResultOutOfRange);
    QTest::newRow("C 1") << worked(1, 2000) << 0.0 << corrected;
    QTest::newRow("S 0") << worked(2000, 0) << 0.0 << span;
    QTest::newRow("S 1") << worked(2000, 1) << 0.0 << span;
    QTest::newRow("mean Rx negative") << SpanInputs {2000, 2000, 30000, 20000, -25000, -20000, 0.2}
                                      << 0.0 << int(SpanProblem::MeanRxNotPositive);
    QTest::newRow("R0 negative") << SpanInputs {2000, 2000, -30000, -20000, 25000, 20000, 0.2}
                                 << 0.0 << int(SpanProblem::ZeroR0NotPositive);
    // 0, NaN and the negative TS are refused at the end of a span run above.
    QTest::newRow("C 2 above the zero ratio: too large")
        << SpanInputs {2, 2000, 30000, 20000, 40000, 20000, 0.2} << 0.0 << range;
}

void SpanCalibrationTest::computeSpanTS()
{
    QFETCH(SpanInputs, in);
    QFETCH(double, ts);
    QFETCH(int, problem);
    const auto result = ::computeSpanTS(in);
    if (problem >= 0) {
        QVERIFY(std::holds_alternative<SpanProblem>(result));
        QCOMPARE(int(std::get<SpanProblem>(result)), problem);
        return;
    }
    QVERIFY(std::holds_alternative<double>(result));
    const double got = std::get<double>(result);
    QVERIFY2(std::fabs(got - ts) < 0.005, qPrintable(QString::number(got, 'f', 4)));
}
