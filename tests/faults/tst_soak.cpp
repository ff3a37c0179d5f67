// A long soak on the fake clock: polls whose replies are good, garbled, late
// or missing at random, and between them the technician's own actions (units,
// entries, Cancel, the readout, the number of samples, zero calibrations and
// their undo). Whatever happens, the window must not crash or hang, its memory
// must stay flat, no value goes out that a transmitter field cannot hold, and
// no store goes out but at the end of a run or for an undo.
//
// KESTRIN_SOAK_POLLS sets the number of polls (default 100000), and
// KESTRIN_SOAK_SEED the random seed (default 1). It prints its figures.

#include "window_fixture.h"

#include <QAction>
#include <QElapsedTimer>
#include <QRandomGenerator>

#include <malloc.h>
#include <sys/resource.h>
#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime; GCC installs no header that declares it.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

#include <cstdio>

namespace {

// The bytes allocated and not freed, as the allocator counts them.
long allocatedKiB()
{
#if defined(__SANITIZE_ADDRESS__)
    return long(__sanitizer_get_current_allocated_bytes() / 1024);
#else
    const struct mallinfo2 info = mallinfo2();
    return long((info.uordblks + info.hblkhd) / 1024); // large blocks are mapped apart
#endif
}

} // namespace

class SoakTest : public QObject {
    Q_OBJECT

private slots:
    void windowSurvivesLongUse()
    {
        const int asked = qEnvironmentVariableIntValue("KESTRIN_SOAK_POLLS");
        const int polls = asked > 0 ? asked : 100000;
        const quint32 seed = quint32(qMax(1, qEnvironmentVariableIntValue("KESTRIN_SOAK_SEED")));
        QRandomGenerator random(seed);
        const auto below = [&](int n) { return int(random.bounded(n)); };
        LinkedWindowFixture f;
        bool storeExpected = false; // a run at its last sample, or an undo under way
        QString failure;
        f.transmitter.onCommand = [&](const QByteArray &command) {
            if (command.size() > 2 && (command.startsWith("T0") || command.startsWith("R0"))) {
                const QByteArray value = command.mid(2);
                bool whole = false;
                const long number = value.toLong(&whole);
                if (!whole || number < -99999 || number > 999999)
                    failure = "sent " + QString::fromLatin1(command);
                if (!storeExpected)
                    failure
                        = "stored outside a run's end or an undo: " + QString::fromLatin1(command);
            }
            if (command != "X")
                return;
            switch (below(10)) {
            case 0: // garbage, a prompt at its end or not
                f.transmitter.queue("X",
                                    {{QByteArray(below(300), char('A' + below(26))) + ">"}, 5});
                break;
            case 1: // late: it stands at the start of the next wait
                f.transmitter.queue("X",
                                    {{ScriptedTransmitter::reading(20000, 30000, 400, 400)}, 600});
                break;
            case 2:
                f.transmitter.queueSilence("X");
                break;
            default: // a reading, now and then of numbers no field holds
                const double rx = below(50) ? 1000 + below(30000) : 9e99;
                f.transmitter.queue(
                    "X",
                    {{ScriptedTransmitter::reading(rx, 1000 + below(40000), 400, below(20000))},
                     qint64(1 + below(400))});
            }
        };
        f.startLinked();
        MainWindow *w = &f.w();

        QElapsedTimer took;
        took.start();
        long allocatedAtHalf = 0;
        for (int poll = 1; poll <= polls && failure.isEmpty(); ++poll) {
            storeExpected = w->session().ZeroCalibrationRunning
                && w->session().SampleCount + 1 >= w->session().NumberOfSamples;
            f.poll();
            switch (below(40)) {
            case 0:
                w->findChild<QAction *>(QStringList {"menu_inHg", "menu_hPa", "menu_Farenheit",
                                                     "menu_Celsius", "menu_psi"}[below(5)])
                    ->trigger();
                break;
            case 1:
                enterText(*w,
                          QStringList {"S=", "T=", "P="}[below(3)] + QString::number(below(3000)));
                break;
            case 2:
                w->CancelButton->click();
                break;
            case 4:
                f.fake.dialogs.inputAnswers << QString::number(1 + below(4));
                w->menuNumberOfSamples->trigger();
                break;
            case 5:
            case 6:
                w->ZeroButton->click();
                break;
            case 7:
                storeExpected = true;
                w->menuUndoZeroCalibration->trigger();
                break;
            }
            f.forget();
            // By then the trend and the line monitor hold all they ever keep.
            if (poll == polls / 2)
                allocatedAtHalf = allocatedKiB();
        }
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        // Flat: what grows with the number of polls would show here.
        const long allocatedAtTheEnd = allocatedKiB();
        QVERIFY2(allocatedAtTheEnd < allocatedAtHalf + 256,
                 qPrintable(QString::number(allocatedAtHalf) + " KiB then "
                            + QString::number(allocatedAtTheEnd) + " KiB"));
        rusage usage {};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("soak: seed %u, %d polls in %.1f s\n", seed, polls, took.elapsed() / 1000.0);
        std::printf("soak: allocated %ld KiB at half, %ld KiB at the end; peak resident %ld KiB\n",
                    allocatedAtHalf, allocatedAtTheEnd, usage.ru_maxrss);
    }
};

QTEST_MAIN(SoakTest)
#include "tst_soak.moc"
