#include "concentration.h"
#include "sim_line.h"

#include <QTest>

#include <cmath>

Q_DECLARE_METATYPE(TransmitterParameters)

namespace {

struct Means {
    double co2 = 0.0;
    double reference = 0.0;
};

// A calibration run as the tool takes it: one "X" every two seconds, the
// running means of both signals over the valid readings.
Means sampleRun(SimLine &line, int samples)
{
    Means means;
    for (int n = 1; n <= samples; ++n) {
        line.wait(2000);
        const auto record = toolRecord(line.command("X"));
        if (!record)
            return {};
        means.reference += (double(record->reference) - means.reference) / n;
        means.co2 += (double(record->co2) - means.co2) / n;
    }
    return means;
}

QByteArray whole(double value)
{
    return QByteArray::number(std::lround(value));
}

// The tool's zero calibration: the means at zero gas become T0 and R0.
std::pair<long, long> zeroCalibration(SimLine &line, int samples)
{
    line.transmitter.sensor().setGas(0.0);
    line.wait(10000);
    const Means zero = sampleRun(line, samples);
    line.command("T0" + whole(zero.co2));
    line.command("R0" + whole(zero.reference));
    line.command("SAVE");
    line.command("NOTEST");
    return {std::lround(zero.co2), std::lround(zero.reference)};
}

// The tool's span calibration with a span gas of the given (corrected)
// concentration: the measured span ratio's drop below the zero ratio is
// scaled to the transmitter's own span concentration.
void spanCalibration(SimLine &line, std::pair<long, long> zeroPoint, double gasPpm, int samples)
{
    const QByteArray spanReply = line.command("SPAN");
    const double span = spanReply.mid(14).chopped(3).trimmed().toDouble();
    line.transmitter.sensor().setGas(gasPpm);
    line.wait(10000);
    const Means measured = sampleRun(line, samples);
    const double k = std::pow(std::abs(std::log(gasPpm) / std::log(span)), 1.0 / 0.2);
    const double r0 = double(zeroPoint.first) / double(zeroPoint.second);
    const double rs = measured.co2 / measured.reference;
    line.command("TS" + whole(measured.reference * (r0 - (r0 - rs) / k)));
    line.command("RS" + whole(measured.reference));
    line.command("SAVE");
    line.command("NOTEST");
}

// What the large display would settle at: the mean of the transmitter's own
// averaged value over a few polls.
double displayedPpm(SimLine &line, double gasPpm)
{
    line.transmitter.sensor().setGas(gasPpm);
    line.wait(10000);
    double sum = 0.0;
    constexpr int polls = 10;
    for (int n = 0; n < polls; ++n) {
        line.wait(2000);
        sum += double(toolRecord(line.command("X")).value_or(DataRecord {}).average);
    }
    return sum / polls;
}

} // namespace

// The physical model: the transmitter reads what its parameters make of the
// sensor, and the tool's calibration procedure makes it read true.
class ModelTest : public QObject {
    Q_OBJECT

private slots:
    void inverseFunctionUndoesTheSensorCurve_data();
    void inverseFunctionUndoesTheSensorCurve();
    void unusableParametersReadZeroOrTheLimit_data();
    void unusableParametersReadZeroOrTheLimit();
    void agedTransmitterReadsVisiblyWrong();
    void zeroAndSpanCalibrationMakeItReadTheGas_data();
    void zeroAndSpanCalibrationMakeItReadTheGas();
    void sameSeedGivesTheSameReadings();
};

void ModelTest::inverseFunctionUndoesTheSensorCurve_data()
{
    QTest::addColumn<double>("ppm");
    for (const double ppm : {1.5, 10.0, 400.0, 1000.0, 2000.0, 5000.0, 50000.0})
        QTest::addRow("%g ppm", ppm) << ppm;
}

void ModelTest::inverseFunctionUndoesTheSensorCurve()
{
    QFETCH(double, ppm);
    const SensorCurve curve;
    const double ratio = trueRatio(curve, ppm);
    QVERIFY(
        std::abs(transmitterConcentration(calibratedParameters(), ratio * 20000.0, 20000.0) - ppm)
        < ppm * 1e-9);
}

void ModelTest::unusableParametersReadZeroOrTheLimit_data()
{
    QTest::addColumn<TransmitterParameters>("parameters");
    QTest::addColumn<double>("co2");
    QTest::addColumn<double>("reference");
    QTest::addColumn<double>("expected");
    const auto with = [](long t0, long r0, long ts, long rs, long span) {
        return TransmitterParameters {t0, r0, ts, rs, span, 800, 700};
    };
    const TransmitterParameters good = calibratedParameters();
    QTest::newRow("ratio above zero point") << good << 31000.0 << 20000.0 << 0.0;
    QTest::newRow("no reference signal") << good << 25000.0 << 0.0 << 0.0;
    QTest::newRow("span point above zero point")
        << with(30000, 20000, 31000, 20000, 2000) << 25000.0 << 20000.0 << 0.0;
    QTest::newRow("zero R0") << with(30000, 0, 25000, 20000, 2000) << 25000.0 << 20000.0 << 0.0;
    QTest::newRow("span of 1 ppm")
        << with(30000, 20000, 25000, 20000, 1) << 25000.0 << 20000.0 << 0.0;
    QTest::newRow("tiny span distance")
        << with(30000, 20000, 29999, 20000, 999999) << 0.0 << 20000.0 << maximumPpm;
}

void ModelTest::unusableParametersReadZeroOrTheLimit()
{
    QFETCH(TransmitterParameters, parameters);
    QFETCH(double, co2);
    QFETCH(double, reference);
    QFETCH(double, expected);
    QCOMPARE(transmitterConcentration(parameters, co2, reference), expected);
}

void ModelTest::agedTransmitterReadsVisiblyWrong()
{
    SimLine line; // the default start
    const double atRoomAir = displayedPpm(line, 400.0);
    const double atZero = displayedPpm(line, 0.0);
    qInfo("aged transmitter: %.1f ppm at 400 ppm, %.1f ppm at zero gas", atRoomAir, atZero);
    QVERIFY(atRoomAir > 450.0);
    QVERIFY(atZero > 50.0);
}

void ModelTest::zeroAndSpanCalibrationMakeItReadTheGas_data()
{
    QTest::addColumn<double>("spanGas");
    QTest::addColumn<int>("seed");
    QTest::newRow("at the transmitter's span") << 2000.0 << 1;
    QTest::newRow("another seed") << 2000.0 << 2;
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

    const auto zeroPoint = zeroCalibration(line, 10);
    // Some minutes pass between the runs: the lamp drifts meanwhile.
    line.wait(120000);
    spanCalibration(line, zeroPoint, spanGas, 10);
    line.wait(120000);

    for (const double gas : {spanGas, 2000.0, 1000.0, 400.0}) {
        const double ppm = displayedPpm(line, gas);
        qInfo("after calibration with %.0f ppm: %.1f ppm at %.0f ppm", spanGas, ppm, gas);
        QVERIFY2(std::abs(ppm - gas) < 5.0, qPrintable(QString::number(ppm)));
    }
}

void ModelTest::sameSeedGivesTheSameReadings()
{
    SimLine first(calibratedSetup(400.0, 7));
    SimLine second(calibratedSetup(400.0, 7));
    SimLine other(calibratedSetup(400.0, 8));
    bool differs = false;
    for (int poll = 0; poll < 5; ++poll) {
        first.wait(2000);
        second.wait(2000);
        other.wait(2000);
        const QByteArray reply = first.command("X");
        QCOMPARE(second.command("X"), reply);
        differs = differs || other.command("X") != reply;
    }
    QVERIFY(differs);
}

QTEST_GUILESS_MAIN(ModelTest)
#include "tst_model.moc"
