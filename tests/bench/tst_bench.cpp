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

// Boxes that also answer the bench's one choice: each answer is a list of
// ticks, none is Cancel.
class BenchDialogs : public FakeDialogs {
public:
    std::optional<QList<bool>> choose(const QString &text, const QList<Choice> &choices,
                                      MessageButtons buttons, const QString &title) override
    {
        QStringList lines {text};
        for (const Choice &choice : choices)
            lines << choice.text;
        shown << ShownBox {
            ShownBox::Message, lines.join(u'\n'), buttons, MessageIcon::Question, title, {}};
        return chooseAnswers.isEmpty() ? std::nullopt : chooseAnswers.dequeue();
    }
    QQueue<std::optional<QList<bool>>> chooseAnswers;
};

struct BenchFixture {
    TemporaryCurrentDir dir;
    FakeClock clock;
    BenchDialogs dialogs;
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
        bench.setAmbient([] {
            return GasAndAmbient {QStringLiteral("1900"),
                                  QStringLiteral("1900"),
                                  QStringLiteral("25.0"),
                                  QStringLiteral("°C"),
                                  QStringLiteral("1013"),
                                  QStringLiteral("hPa"),
                                  25,
                                  1013};
        });
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
    void everyTransmitterIsPolledAtOnceEveryTwoSeconds()
    {
        BenchFixture f(3);
        f.transmitter(1).silence("X");
        f.bench.open();
        f.polls(3);
        // The silent one delays no other: each line carries an X every two
        // seconds, all written in the same instant.
        for (FakeSerialPort *port : f.ports)
            QVERIFY2(port->written.count("X\r") == 3, port->written.constData());
        QCOMPARE(f.bench.session(0).displayValue(), QStringLiteral("400"));
        QCOMPARE(f.bench.session(1).status().text,
                 QStringLiteral("Transmitter Not Responding, Check Com and Cables"));
    }

    void zeroOfFourStoresTheGoodOnesAndAsksOnceAboutTheDoubtfulOne()
    {
        BenchFixture f(4);
        for (int i = 0; i < 4; ++i)
            f.transmitter(i).setReading(23456, 12346, 0, 0);
        f.transmitter(2).setReading(20100, 30100, 452, 452); // room air, not zero gas
        f.open();
        f.bench.NumberOfSamples = 2;
        f.bench.startZero();
        QVERIFY(f.bench.running());
        f.polls(1);
        for (int i : {0, 1, 3})
            f.transmitter(i).setReading(23456, 12345, 0, 0);
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
        QVERIFY(texts[2].startsWith(u"Zero calibration: 3 stored, 1 not."));
        QVERIFY(texts[2].contains(u"ttyUSB2: refused: off by 452 ppm"));
        QCOMPARE(rowsOutcomes(f.bench),
                 QStringLiteral("stored (T0 12346, R0 23456)|stored (T0 12346, R0 23456)|"
                                "refused: off by 452 ppm (limit 250)|"
                                "stored (T0 12346, R0 23456)"));
        // Nothing but the readings' X went to the refused one.
        QCOMPARE(f.ports[2]->written, QByteArray("T0\rR0\rX\rX\r"));

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

    void aTransmitterThatVanishesEndsItsOwnRunOnly()
    {
        BenchFixture f(3);
        for (int i = 0; i < 3; ++i)
            f.transmitter(i).setReading(20000, 30000, 0, 0);
        f.open();
        f.bench.NumberOfSamples = 3;
        f.bench.startZero();
        f.polls(1);
        f.ports[1]->existing.clear();
        f.ports[1]->vanish();
        f.polls(3);
        QVERIFY(!f.bench.running());
        QCOMPARE(rowsOutcomes(f.bench),
                 QStringLiteral("stored (T0 30000, R0 20000)|failed: Com Port is Closed|"
                                "stored (T0 30000, R0 20000)"));
        QVERIFY(!f.ports[1]->written.contains("SAVE"));
        QVERIFY(f.bench.session(1).waitingForDevice());
    }

    void spanOfTheBenchWritesTheSingleWindowsBytes()
    {
        BenchFixture f(2);
        f.open();
        f.bench.NumberOfSamples = 1;
        for (int i = 0; i < 2; ++i)
            f.transmitter(i).setReading(20000, 30000, 0, 0);
        f.bench.startZero();
        f.polls(1);
        f.clock.advance(10);
        for (int i = 0; i < 2; ++i) {
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
    }

    void eachTransmitterGetsItsOwnCertificateNumberedOn()
    {
        BenchFixture f(3);
        for (int i = 0; i < 3; ++i)
            f.transmitter(i).setReading(20000, 30000, 0, 0);
        f.open();
        f.bench.NumberOfSamples = 1;
        f.bench.startZero();
        f.polls(1);
        f.clock.advance(10);
        ReportAnswers answers;
        answers.certificate = QStringLiteral("KC-2026-0041");
        answers.type = QStringLiteral("K-33");
        answers.intervalMonths = QStringLiteral("12");
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

    void theWindowShowsTheRowsAndOneQuestion()
    {
        BenchFixture f(2);
        f.transmitter(1).setReading(20000, 30000, 1203, 1203);
        BenchWindow window(std::move(f.owned), f.dialogs, f.desktop);
        f.polls(10);
        QTableWidget *rows = window.transmitters;
        QCOMPARE(rows->rowCount(), 2);
        QCOMPARE(rows->item(0, BenchWindow::Port)->text(), QStringLiteral("ttyUSB0"));
        QCOMPARE(rows->item(1, BenchWindow::Reading)->text(), QStringLiteral("1200 ppm"));
        QCOMPARE(rows->item(1, BenchWindow::Gas)->text(), QStringLiteral("settled"));
        f.dialogs.messageAnswers << MessageResult::Cancel;
        window.ZeroButton->click();
        QCOMPARE(f.dialogs.messageTexts(), QStringList {"Are you ready with the zero gas?"});
        QVERIFY(window.ZeroButton->isEnabled());
    }
};

QTEST_MAIN(BenchTest)
#include "tst_bench.moc"
