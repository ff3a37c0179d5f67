#include "concentration.h"
#include "sim_line.h"

#include <QTest>

#include <cmath>

namespace {

// A run as the tool takes it: the gas applied and left to settle, then one
// "X" every two seconds; the means of both signals and of the averaged
// reading the large display shows.
struct Means {
    double co2 = 0, reference = 0, average = 0;
};

Means run(SimLine &line, double gasPpm)
{
    line.transmitter.sensor().setGas(gasPpm);
    line.wait(10000);
    Means sum;
    for (int n = 0; n < 10; ++n) {
        line.wait(2000);
        const DataRecord r = toolRecord(line.command("X")).value_or(DataRecord {});
        sum = {sum.co2 + r.co2 / 10.0, sum.reference + r.reference / 10.0,
               sum.average + r.average / 10.0};
    }
    return sum;
}

QByteArray whole(double value)
{
    return QByteArray::number(std::lround(value));
}

// The tool's zero and span calibration, some minutes apart: the means at
// zero gas become T0 and R0; the span ratio's drop below the zero ratio is
// scaled to the transmitter's own span concentration for TS.
void calibrate(SimLine &line, double gasPpm)
{
    const Means zero = run(line, 0.0);
    line.send("T0" + whole(zero.co2) + "\rR0" + whole(zero.reference) + "\rSAVE\r");
    line.wait(120000);
    const double span = line.command("SPAN").mid(14).chopped(3).trimmed().toDouble();
    const Means measured = run(line, gasPpm);
    const double k = std::pow(std::abs(std::log(gasPpm) / std::log(span)), 1.0 / 0.2);
    const double r0 = double(std::lround(zero.co2)) / double(std::lround(zero.reference));
    const double rs = measured.co2 / measured.reference;
    line.send("TS" + whole(measured.reference * (r0 - (r0 - rs) / k)) + "\rRS"
              + whole(measured.reference) + "\rSAVE\r");
    line.wait(120000);
}

} // namespace

// The physical model: the transmitter reads what its parameters make of the
// sensor, and the tool's calibration procedure makes it read true.
class ModelTest : public QObject {
    Q_OBJECT

private slots:
    void inverseFunctionUndoesTheSensorCurve();
    void unusableParametersReadZeroOrTheLimit();
    void agedTransmitterReadsVisiblyWrong();
    void zeroAndSpanCalibrationMakeItReadTheGas_data();
    void zeroAndSpanCalibrationMakeItReadTheGas();
    void sameSeedGivesTheSameReadings();
};

void ModelTest::inverseFunctionUndoesTheSensorCurve()
{
    for (const double ppm : {1.5, 400.0, 2000.0, 50000.0}) {
        const double ratio = trueRatio(SensorCurve {}, ppm);
        const double read = transmitterConcentration(calibratedParameters(), ratio * 2e4, 2e4);
        QVERIFY2(std::abs(read - ppm) < ppm * 1e-9, qPrintable(QString::number(ppm)));
    }
}

void ModelTest::unusableParametersReadZeroOrTheLimit()
{
    const auto read = [](long t0, long r0, long ts, long span, double co2, double reference) {
        return transmitterConcentration({t0, r0, ts, 20000, span, 800, 700}, co2, reference);
    };
    QCOMPARE(read(30000, 20000, 25000, 2000, 31000, 20000), 0.0); // ratio above the zero point
    QCOMPARE(read(30000, 20000, 25000, 2000, 25000, 0), 0.0); // no reference signal
    QCOMPARE(read(30000, 20000, 31000, 2000, 25000, 20000), 0.0); // span point above zero point
    QCOMPARE(read(30000, 0, 25000, 2000, 25000, 20000), 0.0);
    QCOMPARE(read(30000, 20000, 25000, 1, 25000, 20000), 0.0);
    QCOMPARE(read(30000, 20000, 29999, 999999, 0, 20000), maximumPpm); // tiny span distance
}

void ModelTest::agedTransmitterReadsVisiblyWrong()
{
    SimLine line; // the default start
    const double atRoomAir = run(line, 400.0).average;
    const double atZero = run(line, 0.0).average;
    qInfo("aged transmitter: %.1f ppm at 400 ppm, %.1f ppm at zero gas", atRoomAir, atZero);
    QVERIFY(atRoomAir > 450.0 && atZero > 50.0);
}

void ModelTest::zeroAndSpanCalibrationMakeItReadTheGas_data()
{
    QTest::addColumn<double>("spanGas");
    QTest::addColumn<int>("seed");
    QTest::newRow("at the transmitter's span") << 2000.0 << 1;
    QTest::newRow("gas 5 % below the span") << 1900.0 << 3;
    QTest::newRow("gas 7 % above the span") << 2140.0 << 4;
}

void ModelTest::zeroAndSpanCalibrationMakeItReadTheGas()
{
    QFETCH(double, spanGas);
    QFETCH(int, seed);
    TransmitterSetup setup;
    setup.seed = std::uint64_t(seed);
    SimLine line(setup);
    calibrate(line, spanGas);
    for (const double gas : {spanGas, 2000.0, 1000.0, 400.0}) {
        const double ppm = run(line, gas).average;
        QVERIFY2(std::abs(ppm - gas) < 5.0,
                 qPrintable(QStringLiteral("%1 ppm at %2").arg(ppm).arg(gas)));
    }
}

void ModelTest::sameSeedGivesTheSameReadings()
{
    SimLine first(calibratedSetup(400.0, 7)), second(calibratedSetup(400.0, 7));
    SimLine other(calibratedSetup(400.0, 8));
    QByteArray firstRun, secondRun, otherRun;
    for (int poll = 0; poll < 5; ++poll) {
        for (SimLine *line : {&first, &second, &other})
            line->wait(2000);
        firstRun += first.command("X");
        secondRun += second.command("X");
        otherRun += other.command("X");
    }
    QCOMPARE(secondRun, firstRun);
    QVERIFY(otherRun != firstRun);
}

QTEST_GUILESS_MAIN(ModelTest)
#include "tst_model.moc"
