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
    long pages = 0;
    long resident = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
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

long peakResidentKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// One reply to "X" as the line delivers it: the bytes, and when they come
// after the command (none: never).
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
        if (gathered.endsWith('>')) {
            // Ended at once on what was left over; this reply comes later.
            if (arrives)
                pending = reply.bytes;
            return {gathered, true};
        }
        if (arrives && reply.delay < 500) {
            gathered += reply.bytes;
            return {gathered, gathered.endsWith('>')};
        }
        if (arrives)
            pending = reply.bytes;
        return {gathered, false};
    }
};

QByteArray field(double value)
{
    return QByteArray::number(value, 'f', std::fmod(value, 1) == 0 ? 0 : 1).rightJustified(6, ' ');
}

QByteArray record(double rx, double tx, double ppm, double avg)
{
    const QByteArray line = (field(rx) + '\t' + field(tx) + '\t' + field(ppm) + ' ' + field(avg))
                                .leftJustified(39, ' ');
    return "X\r\n" + line + "\r\n>";
}

class Soak {
public:
    explicit Soak(quint32 seed) : m_random(seed)
    {
        t.onCommand = [this](const QByteArray &command) { answer(command); };
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
    bool check(bool condition, const QString &what);
    void answer(const QByteArray &command);
    PollReply nextReply();
    bool pollAndCheck();
    void technicianAction();
    void forget();

    LinkedWindowFixture f;
    ScriptedTransmitter &t = f.transmitter;
    QRandomGenerator m_random;
    LineModel m;
    PollReply m_reply;
    QList<QByteArray> m_expectedStore;
    int m_poll = 0;
};

bool Soak::check(bool condition, const QString &what)
{
    if (!condition && failure.isEmpty())
        failure = QStringLiteral("poll %1: %2").arg(m_poll).arg(what);
    return condition;
}

void Soak::answer(const QByteArray &command)
{
    if (command == "X") {
        if (m_reply.kind != PollReply::Missing)
            t.queue("X", {{m_reply.bytes}, m_reply.delay});
        else
            t.queueSilence("X");
    }
    // Values, SAVE and NOTEST are acknowledged by the scripted transmitter.
}

PollReply Soak::nextReply()
{
    const double rx = below(10) == 0 ? 500 + below(400) : 15000 + below(10000);
    const double tx = below(20) == 0 ? -below(50) : 20000 + below(15000);
    const double avg = below(10) == 0 ? 10000 + below(90000) : below(9999) + below(10) / 10.0;
    const QByteArray good = record(rx, tx, avg, avg);
    const int roll = below(100);
    // No late reply during a run: a store must not meet a stale prompt, and
    // the model would have to follow the store's own replies too.
    if (roll < 8 && !m.running)
        return {PollReply::Late, good, 600};
    if (roll < 16)
        return {PollReply::Missing, {}, 0};
    if (roll < 30) {
        static const QList<QByteArray> malformed {
            "X\r\nERROR\r\n>",
            "X\r\n12\t34\r\n>",
            // The echo one character longer: 44 characters, used whole.
            "X\r\r\n" + good.mid(3, 39) + ">",
        };
        QByteArray bytes;
        switch (below(5)) {
        case 0:
        case 1:
        case 2:
            bytes = malformed[below(3)];
            break;
        case 3:
            bytes = QByteArray(good).replace(9, 1, " ");
            break;
        default:
            for (int i = below(200); i > 0; --i)
                bytes += char(below(256));
            bytes += '>';
        }
        return {PollReply::Malformed, bytes, qint64(1 + below(400))};
    }
    return {PollReply::Good, good, qint64(1 + below(400))};
}

bool Soak::pollAndCheck()
{
    m_reply = nextReply();
    ++counts[QStringList {"good", "malformed", "late", "missing"}[m_reply.kind]];
    const auto [gathered, replied] = m.poll(m_reply);
    const bool wasRunning = m.running;
    m_expectedStore.clear();

    QString status;
    if (!replied) {
        status = QStringLiteral("Transmitter Not Responding, Check Com and Cables");
        m.display = QStringLiteral("????");
        m.running = false;
    } else {
        status = wasRunning ? QStringLiteral("Sampling") : QStringLiteral("Serial Connection OK");
        QByteArray used = gathered;
        cutToRecord(used);
        if (hasRecordShape(used)) {
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
                if (m.samples >= m.numberOfSamples) {
                    m_expectedStore
                        = {"X", "T0" + wholeNumberText(m.txMean).toLatin1(),
                           "R0" + wholeNumberText(m.rxMean).toLatin1(), "SAVE", "NOTEST"};
                    m.running = false;
                    status = QStringLiteral("Saving OK");
                }
            } else {
                const ConcentrationDisplay shown = concentrationDisplay(r);
                m.display = shown.value.value_or(m.display);
                m.unit = shown.unit.value_or(m.unit);
            }
        }
    }

    t.commands.clear();
    const int polls = int(t.commands.size());
    for (int step = 0; step < 100 && t.commands.count("X") == polls; ++step)
        f.fake.clock.advance(100);
    ++m_poll;

    if (!check(t.commands.count("X") == 1, QStringLiteral("the poll did not run once")))
        return false;
    if (!m_expectedStore.isEmpty()) {
        check(t.commands == m_expectedStore,
              QStringLiteral("stored %1, expected %2")
                  .arg(QString::fromLatin1(t.commands.join(' ')),
                       QString::fromLatin1(m_expectedStore.join(' '))));
        check(f.fake.dialogs.messageTexts().last() == u"Zero Point Set And Saved",
              QStringLiteral("no success message after the store"));
        check(w().menuUndoZeroCalibration->isEnabled(), QStringLiteral("undo not enabled"));
        ++counts[QStringLiteral("zero points stored")];
    }
    check(w().Status->text().startsWith(status),
          QStringLiteral("status %1, expected %2").arg(w().Status->text(), status));
    check(w().ppmDisplay->text() == m.display,
          QStringLiteral("display %1, expected %2").arg(w().ppmDisplay->text(), m.display));
    check(w().ppmText->text() == m.unit,
          QStringLiteral("unit %1, expected %2").arg(w().ppmText->text(), m.unit));
    if (m.last) {
        check(w().RxValue == m.last->rx && w().TxValue == m.last->tx && w().avgValue == m.last->avg,
              QStringLiteral("values are not the last valid reading"));
        check(w().avgLabel->text() == plainDecimalText(m.last->avg),
              QStringLiteral("avg label %1").arg(w().avgLabel->text()));
    } else {
        check(w().RxLabel->text() == u"--", QStringLiteral("a value before any valid reading"));
    }
    check(w().ZeroCalibrationRunning == m.running,
          QStringLiteral("running %1, expected %2").arg(w().ZeroCalibrationRunning).arg(m.running));
    if (m.running)
        check(w().SampleCount == m.samples,
              QStringLiteral("sample count %1, expected %2").arg(w().SampleCount).arg(m.samples));
    check(w().CancelButton->isEnabled() == m.running, QStringLiteral("Cancel button"));
    check(!f.fake.desktop.busy, QStringLiteral("busy pointer left on"));
    return failure.isEmpty();
}

void Soak::technicianAction()
{
    static const QStringList typed {"1013",   "25.5",    "",           "abc", "-40",
                                    "1e308",  "-1e308",  "9999999999", "0",   "-273",
                                    "1e-300", " 2 000 ", "\u00b0C"};
    switch (below(12)) {
    case 0:
        w().StatusFrame_DblClick();
        break;
    case 1: {
        QList<QAction *> units = w().menuUnits->actions();
        units.removeIf([](QAction *a) { return a->isSeparator(); });
        units[below(int(units.size()))]->trigger();
        break;
    }
    case 2:
        w().PressureText->setText(typed[below(int(typed.size()))]);
        break;
    case 3:
        w().TemperatureText->setText(typed[below(int(typed.size()))]);
        break;
    case 4:
        w().SpanGasConcentration->setText(typed[below(int(typed.size()))]);
        break;
    case 5:
        w().CancelButton->click();
        m.running = false;
        break;
    case 6: {
        const int samples = 1 + below(4);
        f.fake.dialogs.inputAnswers << QString::number(samples);
        w().menuNumberOfSamples->trigger();
        m.numberOfSamples = samples;
        break;
    }
    case 7:
    case 8:
        // Only with a quiet line: the model follows the poll's replies alone.
        if (m.running || !m.pending.isEmpty())
            break;
        w().ZeroButton->click();
        if (check(w().ZeroCalibrationRunning, QStringLiteral("zero run did not start"))) {
            m.running = true;
            m.samples = 0;
            m.rxMean = m.txMean = 0;
            ++counts[QStringLiteral("zero runs started")];
        }
        break;
    case 9:
        if (m.running || !m.pending.isEmpty() || !w().menuUndoZeroCalibration->isEnabled())
            break;
        t.commands.clear();
        w().menuUndoZeroCalibration->trigger();
        check(t.commands == QList<QByteArray> {"T030000", "R020000", "SAVE", "NOTEST", "NOTEST"},
              QStringLiteral("undo sent %1").arg(QString::fromLatin1(t.commands.join(' '))));
        ++counts[QStringLiteral("undos")];
        break;
    default:
        break;
    }
    // Whatever was typed, the corrected concentration is a number or the
    // no-value mark, never an infinity or a NaN.
    const QString corrected = w().CorrectedConcentration->text();
    check(corrected == u"????" || !std::isnan(corrected.toDouble()),
          QStringLiteral("corrected concentration %1").arg(corrected));
    check(w().RxLabel->isHidden() == w().Label1[0]->isHidden(),
          QStringLiteral("the diagnostic labels disagree"));
}

// The fakes keep everything they saw; a soak must not grow on their account.
void Soak::forget()
{
    f.fake.port.written.clear();
    f.fake.port.writes.clear();
    f.fake.dialogs.shown.clear();
    f.fake.desktop.pointerChanges.clear();
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
    for (int i = 0; i < polls; ++i) {
        if (!pollAndCheck())
            return false;
        if (below(4) == 0)
            technicianAction();
        if (!failure.isEmpty())
            return false;
        if (i % 1000 == 999)
            forget();
        if (i + 1 == polls / 10)
            noteMemory("after a tenth");
        if (i + 1 == polls / 2)
            noteMemory("after half");
    }
    std::printf("soak: %d polls in %.1f s (%.0f polls/s)\n", polls, took.elapsed() / 1000.0,
                polls * 1000.0 / qMax<qint64>(1, took.elapsed()));
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        std::printf("soak:   %-20s %d\n", qPrintable(it.key()), it.value());
    noteMemory("at the end");
    std::printf("%ssoak: peak resident %ld KiB\n", qPrintable(memory), peakResidentKiB());
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
