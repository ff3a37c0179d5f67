// The bench: several transmitters on their own fake ports, sampled together,
// judged each on its own, stored as the single window stores, one question
// for the doubtful ones and one summary.

#include "bench/bench.h"
#include "bench/bench_window.h"
#include "golden.h"
#include "scripted_transmitter.h"

#include <QPushButton>
#include <QTableWidget>
#include <QTest>

namespace {

struct BenchFixture {
    TemporaryCurrentDir dir;
    FakeClock clock;
    FakeDialogs dialogs;
    FakeDesktop desktop;
    FakePrinter printer;
    std::unique_ptr<Bench> owned = std::make_unique<Bench>(dialogs, desktop, clock, printer);
    Bench &bench = *owned;
    QList<FakeSerialPort *> ports;
    std::vector<std::unique_ptr<ScriptedTransmitter>> transmitters;

    explicit BenchFixture(int count)
    {
        for (int i = 0; i < count; ++i) {
            auto port = std::make_unique<FakeSerialPort>();
            ports << port.get();
            transmitters.push_back(std::make_unique<ScriptedTransmitter>(*port, clock));
            bench.add(std::move(port), QStringLiteral("/dev/ttyUSB%1").arg(i));
        }
        bench.setAmbient(
            [] { return GasAndAmbient {"1900", "1900", "25.0", "°C", "1013", "hPa", 25, 1013}; });
    }
    ScriptedTransmitter &transmitter(int i) { return *transmitters[size_t(i)]; }
    // Opened and polled until every transmitter has told its version, then
    // what went on the lines so far forgotten.
    void open()
    {
        bench.open();
        polls(2);
        for (FakeSerialPort *port : ports)
            port->written.clear();
        dialogs.shown.clear();
    }
    void polls(int count) { clock.advance(2000 * qint64(count)); }
};

QString rowsOutcomes(const Bench &bench)
{
    QStringList outcomes;
    for (int i = 0; i < bench.size(); ++i)
        outcomes << bench.row(i).outcome;
    return outcomes.join(u'|');
}

} // namespace

class BenchTest : public QObject {
    Q_OBJECT

private slots:
    void zeroOfFiveStoresTheGoodOnesAsksOnceAboutTheDoubtfulOneAndLetsALostOneGo()
    {
        BenchFixture f(5);
        for (int i = 0; i < 5; ++i)
            f.transmitter(i).setReading(23456, 12346, 0, 0);
        f.transmitter(2).setReading(20100, 30100, 452, 452); // room air, not zero gas
        f.transmitter(3).setReading(23456, 12346, 0, 0);
        f.open();
        f.bench.NumberOfSamples = 2;
        f.bench.startZero();
        QVERIFY(f.bench.running());
        f.polls(1);
        for (int i : {0, 1})
            f.transmitter(i).setReading(23456, 12345, 0, 0);
        f.transmitter(3).setReading(23456, 12345, 800, 0); // a jump: the second doubtful one
        f.dialogs.chooseAnswers << QList<bool> {false, true}; // store only the second
        f.ports[4]->existing.clear(); // its adapter pulled out
        f.ports[4]->vanish();
        // A slow SAVE: the next poll falls due inside it and passes that line by.
        f.transmitter(0).queue("SAVE", {{ScriptedTransmitter::frame("SAVE")}, 2500});
        f.polls(1);
        f.clock.advance(10); // the bench's end comes right after the last sample
        QVERIFY(!f.bench.running());

        // Questions once: ready, the doubtful one (Cancel), the summary.
        const QStringList texts = f.dialogs.messageTexts();
        QCOMPARE(texts.size(), 3);
        QCOMPARE(texts[0], QStringLiteral("Are you ready with the zero gas?"));
        QVERIFY(texts[1].contains(u"ttyUSB2: The transmitter read 452 ppm on a zero gas"));
        QVERIFY(!texts[1].contains(u"ttyUSB0"));
        QCOMPARE(f.dialogs.shown[1].buttons, MessageButtons::OkCancelSafe);
        QVERIFY(texts[2].startsWith(u"Zero calibration: 3 stored, 2 not."));
        const QString stored = QStringLiteral("stored (T0 12346, R0 23456)");
        QCOMPARE(
            rowsOutcomes(f.bench),
            QStringList({stored, stored, "refused: off by 452 ppm (limit 250)",
                         "stored after warning (T0 12346, R0 23456)", "failed: Com Port is Closed"})
                .join(u'|'));
        // Nothing but the readings' X went to the refused one; the lost one
        // is waited for.
        QCOMPARE(f.ports[2]->written, QByteArray("T0\rR0\rX\rX\r"));
        QVERIFY(f.bench.session(4).waitingForDevice());

        // Each stored one got the single window's bytes, its undo too.
        f.dialogs.messageAnswers << MessageResult::Ok << MessageResult::Ok;
        f.bench.undoZero(0);
        COMPARE_GOLDEN(f.ports[0]->written, "zero_calibration.wire");
        QVERIFY(f.dialogs.messageTexts().last().startsWith(u"ttyUSB0:\rUndo Zero Calibration?"));
        QCOMPARE(f.bench.row(0).outcome, QStringLiteral("undone (T0 30000, R0 20000)"));

        // Four rows in the record, each naming its port and device.
        const QStringList record
            = QString::fromUtf8(readFile(QStringLiteral("appdata/calibrations.csv")))
                  .split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(record.filter(u",zero,").size(), 4);
        QCOMPARE(record.filter(u"ttyUSB2,/dev/ttyFAKE1").size(), 1);
    }

    void spanWritesTheSingleWindowsBytesAndEachGetsItsOwnCertificate()
    {
        BenchFixture f(3);
        f.open();
        f.bench.NumberOfSamples = 1;
        for (int i = 0; i < 3; ++i)
            f.transmitter(i).setReading(20000, 30000, 0, 0);
        f.bench.startZero();
        f.polls(1);
        f.clock.advance(10);
        for (int i = 0; i < 3; ++i) {
            f.transmitter(i).answer("SPAN", "Span = :2000");
            f.transmitter(i).setReading(20000, 25000, 1903, 1903);
            f.ports[i]->written.clear();
        }
        f.bench.startSpan();
        f.polls(1);
        f.clock.advance(10);
        f.dialogs.messageAnswers << MessageResult::Ok;
        f.bench.undoSpan(1);
        COMPARE_GOLDEN(f.ports[1]->written, "span_calibration.wire");
        QVERIFY(f.dialogs.messageTexts().contains(
            QStringLiteral("The transmitter parameters are for 2000 ppm.\rAre you ready with the "
                           "ambient settings and with the span gas?")));

        ReportAnswers answers;
        answers.certificate = QStringLiteral("KC-2026-0041");
        answers.type = QStringLiteral("K-33");
        // The middle one has no serial number typed: it gets none.
        f.bench.issueCertificates(answers, {QStringLiteral("A1"), {}, QStringLiteral("C3")});
        QCOMPARE(f.printer.reports.size(), 2);
        QCOMPARE(f.printer.reports[0].certificate, QStringLiteral("Certificate No. KC-2026-0041"));
        QCOMPARE(f.printer.reports[1].certificate, QStringLiteral("Certificate No. KC-2026-0042"));
        QCOMPARE(f.printer.reports[1].fileName, QStringLiteral("K-33-C3-2026-12-06.pdf"));
        QCOMPARE(Preferences(f.desktop.preferencesFile()).reportAnswers().certificate,
                 QStringLiteral("KC-2026-0042"));
        // Each certificate's row in the record names its own transmitter.
        const QString record
            = QString::fromUtf8(readFile(QStringLiteral("appdata/calibrations.csv")));
        QCOMPARE(record.count(u"certificate,KC-2026-004"), 2);
        QVERIFY(record.contains(u"ttyUSB2"));
    }

    void theWindowShowsTheRowsOneQuestionAndTheSummary()
    {
        BenchFixture f(3);
        f.transmitter(1).setReading(20000, 30000, 1203, 1203);
        f.transmitter(2).silence("X");
        BenchWindow window(std::move(f.owned), f.dialogs, f.desktop);
        f.polls(10);
        // The silent one delays no other: each line carries an X every two
        // seconds.
        for (FakeSerialPort *port : f.ports)
            QCOMPARE(port->written.count("X\r"), 10);
        QTableWidget *rows = window.transmitters;
        const auto cell = [rows](int row, int column) { return rows->item(row, column)->text(); };
        QCOMPARE(rows->rowCount(), 3);
        QCOMPARE(cell(0, BenchWindow::Port), QStringLiteral("ttyUSB0"));
        QCOMPARE(cell(1, BenchWindow::Reading) + u'|' + cell(1, BenchWindow::Gas),
                 QStringLiteral("1200 ppm|settled"));
        QCOMPARE(cell(2, BenchWindow::Reading),
                 QStringLiteral("Transmitter Not Responding, Check Com and Cables"));

        // Zero gas at the first and the third, room air at the second: one
        // question names the second, and one box sums all three up.
        f.transmitter(0).setReading(20000, 30000, 0, 0);
        f.transmitter(2).setReading(20000, 30000, 0, 0);
        window.bench().NumberOfSamples = 1;
        window.ZeroButton->click();
        QVERIFY(!window.ZeroButton->isEnabled() && window.CancelButton->isEnabled());
        f.polls(1);
        f.clock.advance(10);
        const QStringList texts = f.dialogs.messageTexts();
        QCOMPARE(texts.size(), 3);
        QVERIFY(texts[1].contains(u"\nttyUSB1: The transmitter read 1203 ppm"));
        QCOMPARE(texts[2].section(u'\r', 0, 0),
                 QStringLiteral("Zero calibration: 2 stored, 1 not."));
        QCOMPARE(cell(1, BenchWindow::Outcome),
                 QStringLiteral("refused: off by 1203 ppm (limit 250)"));
        QVERIFY(window.ZeroButton->isEnabled());
    }
};

QTEST_MAIN(BenchTest)
#include "tst_bench.moc"
