#pragma once

#include "platform/platform.h"
#include "platform/timer.h"

#include <QDateTime>

#include <functional>
#include <vector>

class FakeTimer;

// A clock that only moves when told to. Timers tick, scheduled events (bytes
// arriving, a click during a wait) happen, and the reply wait sleeps, all on
// this clock: a five-second time-out takes no real time at all.
class FakeClock : public Clock {
public:
    FakeClock();
    ~FakeClock() override;

    QDateTime now() const override;
    qint64 steadyMilliseconds() const override { return m_now; }
    std::unique_ptr<Timer> createTimer() override;
    void waitForEvents(qint64 deadline) override;

    // Runs everything that falls due within the next `milliseconds`, in order.
    void advance(qint64 milliseconds);
    // Schedules `what` to happen `delay` milliseconds from now.
    void schedule(qint64 delay, std::function<void()> what);

    // How often the reply wait slept, and how often it found nothing due.
    int waits() const { return m_waits; }

private:
    friend class FakeTimer;
    struct Event {
        qint64 due;
        quint64 order;
        std::function<void()> what;
    };
    // Runs the earliest event or timer tick due at or before `limit`; false
    // when nothing is due by then.
    bool runNext(qint64 limit);

    qint64 m_now = 0;
    quint64 m_order = 0;
    QDateTime m_wallStart;
    std::vector<Event> m_events;
    std::vector<FakeTimer *> m_timers;
    int m_waits = 0;
};
