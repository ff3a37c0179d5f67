// A long soak on the fake clock: polls whose replies are good, malformed,
// late or missing at random, and between them the technician's own actions
// (units, entries, Cancel, the diagnostic readout, the number of samples,
// zero calibrations and their undo). After every poll the window must show
// what a simple model of the line says: the last valid reading, the status
// of that poll, and, at the end of a run, the exact means sent as the zero
// point. It prints the figures that show whether memory stays flat.
//
// KESTRIN_SOAK_POLLS sets the number of polls (default 100000), and
// KESTRIN_SOAK_SEED the random seed (default 1).

#include "measure/reading_record.h"
#include "shell/frame.h"
#include "shell/number_format.h"
#include "test_main.h"
#include "window_fixture.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRandomGenerator>

#include <malloc.h>
#include <sys/resource.h>
#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime; GCC installs no header that declares it.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif
#include <unistd.h>

#include <cmath>
#include <cstdio>

namespace {

long residentKiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    statm.open(QIODevice::ReadOnly);
    return statm.readAll().split(' ').value(1).toLong() * (sysconf(_SC_PAGESIZE) / 1024);
}

// The bytes the program has allocated and not freed, as the allocator counts
// them (AddressSanitizer's own allocator when it is built in).
long allocatedKiB()
{
#if defined(__SANITIZE_ADDRESS__)
    return long(__sanitizer_get_current_allocated_bytes() / 1024);
#else
    return long(mallinfo2().uordblks / 1024);
#endif
}

// One reply to "X" as the line delivers it: the bytes, and when they come
// after the command.
struct PollReply {
    enum Kind { Good, Malformed, Late, Missing } kind = Good;
    QByteArray bytes;
    qint64 delay = 5;
};

// The line as the reply wait sees it: bytes that came after a wait had
// ended stand at the start of the next one, and a wait ends as soon as what
// it gathered ends with the prompt.
struct LineModel {
    QByteArray pending;
    std::optional<Reading> last; // the last valid reading
    QString display = QStringLiteral("-----");
    QString unit = QStringLiteral("ppm ");
    bool running = false;
    int samples = 0;
    double rxMean = 0, txMean = 0;
    double numberOfSamples = 100;

    // What the poll's wait gathers, and whether it ends with the prompt.
    std::pair<QByteArray, bool> poll(const PollReply &reply)
    {
        QByteArray gathered = std::exchange(pending, QByteArray());
        const bool arrives = reply.kind != PollReply::Missing;
        // A leftover prompt ends the wait at once; this reply comes later.
        if (arrives && !gathered.endsWith('>') && reply.delay < 500)
            gathered += reply.bytes;
        else if (arrives)
            pending = reply.bytes;
        return {gathered, gathered.endsWith('>')};
    }
};

class Soak {
public:
    explicit Soak(quint32 seed) : m_random(seed)
    {
        // Values, SAVE and NOTEST are acknowledged by the scripted transmitter.
        t.onCommand = [this](const QByteArray &command) {
            if (command == "X" && m_reply.kind == PollReply::Missing)
                t.queueSilence("X");
            else if (command == "X")
                t.queue("X", {{m_reply.bytes}, m_reply.delay});
        };
        t.answer("T0", "T0 = 30000");
        t.answer("R0", "R0 = 20000");
        f.startLinked();
    }

    bool run(int polls);
    QString failure;
    QMap<QString, int> counts;

private:
    MainWindow &w() { return f.w(); }
    int below(int n) { return int(m_random.bounded(n)); }
    template<typename T> bool expect(const char *what, const T &actual, const T &expected)
    {
        if (!(actual == expected) && failure.isEmpty())
            failure = QStringLiteral("poll %1: %2 %3, expected %4")
                          .arg(QString::number(m_poll), QLatin1String(what),
                               QVariant::fromValue(actual).toString(),
                               QVariant::fromValue(expected).toString());
        return actual == expected;
    }
    PollReply nextReply();
    bool pollAndCheck();
    void technicianAction();

    LinkedWindowFixture f;
    ScriptedTransmitter &t = f.transmitter;
    QRandomGenerator m_random;
    LineModel m;
    PollReply m_reply;
    int m_poll = 0;
};

PollReply Soak::nextReply()
{
    const double rx = below(10) == 0 ? 500 + below(400) : 15000 + below(10000);
    const double tx = below(20) == 0 ? -below(50) : 20000 + below(15000);
    const double avg = below(10) == 0 ? 10000 + below(90000) : below(9999) + below(10) / 10.0;
    const QByteArray good = ScriptedTransmitter::reading(rx, tx, avg, avg);
    const int roll = below(100);
    // No late reply during a run: a store must not meet a stale prompt, and
    // the model would have to follow the store's own replies too.
    if (roll < 8 && !m.running)
        return {PollReply::Late, good, 600};
    if (roll < 16)
        return {PollReply::Missing, {}, 0};
    if (roll >= 30)
        return {PollReply::Good, good, qint64(1 + below(400))};
    const QList<QByteArray> malformed {
        "X\r\nERROR\r\n>",
        "X\r\n12\t34\r\n>",
        "X\r\r\n" + good.mid(3, 39) + ">", // the echo one longer: 44 characters, used whole
        QByteArray(good).replace(9, 1, " "),
    };
    QByteArray bytes = malformed.value(below(6));
    if (bytes.isEmpty()) {
        for (int i = below(200); i > 0; --i)
            bytes += char(below(256));
        bytes += '>';
    }
    return {PollReply::Malformed, bytes, qint64(1 + below(400))};
}

bool Soak::pollAndCheck()
{
    m_reply = nextReply();
    ++counts[QStringList {"good", "malformed", "late", "missing"}[m_reply.kind]];
    const auto [gathered, replied] = m.poll(m_reply);
    const bool wasRunning = m.running;
    QList<QByteArray> expectedStore;

    QString status = QStringLiteral("Transmitter Not Responding, Check Com and Cables");
    QByteArray used = gathered;
    cutToRecord(used);
    if (!replied) {
        m.display = QStringLiteral("????");
        m.running = false;
    } else {
        status = wasRunning ? QStringLiteral("Sampling") : QStringLiteral("Serial Connection OK");
    }
    if (replied && hasRecordShape(used)) {
        const Reading r = readRecord(used);
        m.last = r;
        if (r.rx > 0 && r.rx < 1000)
            status = QStringLiteral("Transmitter Failure, IR-signal Low!");
        if (wasRunning) {
            m.display = QStringLiteral("sample");
            ++m.samples;
            m.rxMean += (r.rx - m.rxMean) / m.samples;
            m.txMean += (r.tx - m.txMean) / m.samples;
            m.unit = u'#' + numberText(m.samples);
        } else {
            const ConcentrationDisplay shown = concentrationDisplay(r);
            m.display = shown.value.value_or(m.display);
            m.unit = shown.unit.value_or(m.unit);
        }
        if (wasRunning && m.samples >= m.numberOfSamples) {
            expectedStore = {"X", "T0" + wholeNumberText(m.txMean).toLatin1(),
                             "R0" + wholeNumberText(m.rxMean).toLatin1(), "SAVE", "NOTEST"};
            m.running = false;
            status = QStringLiteral("Saving OK");
        }
    }

    t.commands.clear();
    for (int step = 0; step < 100 && t.commands.isEmpty(); ++step)
        f.fake.clock.advance(100);
    ++m_poll;

    if (!expect("polls", t.commands.count("X"), qsizetype(1)))
        return false;
    if (!expectedStore.isEmpty()) {
        expect("stored", t.commands.join(' '), expectedStore.join(' '));
        expect("message", f.fake.dialogs.messageTexts().last(),
               QStringLiteral("Zero Point Set And Saved"));
        expect("undo enabled", w().menuUndoZeroCalibration->isEnabled(), true);
        ++counts[QStringLiteral("zero points stored")];
    }
    expect("status", w().Status->text().left(status.size()), status);
    expect("display", w().ppmDisplay->text(), m.display);
    expect("unit", w().ppmText->text(), m.unit);
    if (m.last) {
        expect("values the last valid reading",
               w().RxValue == m.last->rx && w().TxValue == m.last->tx
                   && w().avgValue == m.last->avg,
               true);
        expect("avg label", w().avgLabel->text(), plainDecimalText(m.last->avg));
    } else {
        expect("Rx before any valid reading", w().RxLabel->text(), QStringLiteral("--"));
    }
    expect("running", w().ZeroCalibrationRunning, m.running);
    if (m.running)
        expect("sample count", w().SampleCount, m.samples);
    expect("Cancel enabled", w().CancelButton->isEnabled(), m.running);
    expect("busy pointer", f.fake.desktop.busy, false);
    return failure.isEmpty();
}

void Soak::technicianAction()
{
    static const QStringList typed {"1013",   "25.5",    "",           "abc", "-40",
                                    "1e308",  "-1e308",  "9999999999", "0",   "-273",
                                    "1e-300", " 2 000 ", "\u00b0C"};
    QLineEdit *const entries[] {w().PressureText, w().TemperatureText, w().SpanGasConcentration};
    const int action = below(12);
    if (action == 0) {
        w().StatusFrame_DblClick();
    } else if (action == 1) {
        QList<QAction *> units = w().menuUnits->actions();
        units.removeIf([](QAction *a) { return a->isSeparator(); });
        units[below(int(units.size()))]->trigger();
    } else if (action <= 4) {
        entries[action - 2]->setText(typed[below(int(typed.size()))]);
    } else if (action == 5) {
        w().CancelButton->click();
        m.running = false;
    } else if (action == 6) {
        const int samples = 1 + below(4);
        f.fake.dialogs.inputAnswers << QString::number(samples);
        w().menuNumberOfSamples->trigger();
        m.numberOfSamples = samples;
    } else if (m.running || !m.pending.isEmpty()) {
        // The rest only with a quiet line: the model follows the polls alone.
    } else if (action <= 8) {
        w().ZeroButton->click();
        if (expect("zero run started", w().ZeroCalibrationRunning, true)) {
            m.running = true;
            m.samples = 0;
            m.rxMean = m.txMean = 0;
            ++counts[QStringLiteral("zero runs started")];
        }
    } else if (action == 9 && w().menuUndoZeroCalibration->isEnabled()) {
        t.commands.clear();
        w().menuUndoZeroCalibration->trigger();
        expect("undo sent", t.commands.join(' '), QByteArray("T030000 R020000 SAVE NOTEST NOTEST"));
        ++counts[QStringLiteral("undos")];
    }
    // Whatever was typed, the corrected concentration is a number or the
    // no-value mark, never an infinity or a NaN.
    const QString corrected = w().CorrectedConcentration->text();
    expect("corrected concentration a number",
           corrected == u"????" || !std::isnan(corrected.toDouble()), true);
    expect("diagnostic labels agree", w().RxLabel->isHidden(), w().Label1[0]->isHidden());
}

bool Soak::run(int polls)
{
    QElapsedTimer took;
    took.start();
    QString memory;
    const auto noteMemory = [&](const char *when) {
        memory += QStringLiteral("soak: %1: %2 KiB allocated, %3 KiB resident\n")
                      .arg(QLatin1String(when))
                      .arg(allocatedKiB())
                      .arg(residentKiB());
    };
    for (int i = 0; i < polls && pollAndCheck(); ++i) {
        if (below(4) == 0)
            technicianAction();
        if (i % 1000 == 999)
            f.forget(); // the fakes keep all they saw; the soak must not grow by them
        if (i + 1 == polls / 10)
            noteMemory("after a tenth");
        if (i + 1 == polls / 2)
            noteMemory("after half");
    }
    if (!failure.isEmpty())
        return false;
    std::printf("soak: %d polls in %.1f s (%.0f polls/s)\n", polls, took.elapsed() / 1000.0,
                polls * 1000.0 / qMax<qint64>(1, took.elapsed()));
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        std::printf("soak:   %-20s %d\n", qPrintable(it.key()), it.value());
    noteMemory("at the end");
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%ssoak: peak resident %ld KiB\n", qPrintable(memory), usage.ru_maxrss);
    return true;
}

} // namespace

class SoakTest : public QObject {
    Q_OBJECT

private slots:
    void windowFollowsTheLineThroughLongUse();
};

void SoakTest::windowFollowsTheLineThroughLongUse()
{
    const int polls = qEnvironmentVariableIsSet("KESTRIN_SOAK_POLLS")
        ? qEnvironmentVariableIntValue("KESTRIN_SOAK_POLLS")
        : 100000;
    const quint32 seed = qEnvironmentVariableIsSet("KESTRIN_SOAK_SEED")
        ? quint32(qEnvironmentVariableIntValue("KESTRIN_SOAK_SEED"))
        : 1;
    std::printf("soak: seed %u\n", seed);
    Soak soak(seed);
    QVERIFY2(soak.run(polls), qPrintable(soak.failure));
}

int main(int argc, char *argv[])
{
    return runTests<SoakTest>(argc, argv);
}

#include "tst_soak.moc"
