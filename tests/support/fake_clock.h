#pragma once

#include "platform/platform.h"
#include "platform/timer.h"

#include <QDateTime>

#include <functional>
#include <vector>

// A clock that only moves when told to. Timers tick, scheduled events (bytes
// arriving, a click during a wait) happen, and the reply wait sleeps, all on
// this clock: a five-second time-out takes no real time at all.
class FakeClock : public Clock {
public:
    QDateTime now() const override { return m_wallStart.addMSecs(m_now); }
    qint64 steadyMilliseconds() const override { return m_now; }
    std::unique_ptr<Timer> createTimer() override;
    void waitForEvents(qint64 deadline) override;

    // Runs everything that falls due within the next `milliseconds`, in order.
    void advance(qint64 milliseconds);
    // Schedules `what` to happen `delay` milliseconds from now; the number
    // returned cancels it.
    quint64 schedule(qint64 delay, std::function<void()> what);
    void cancel(quint64 event);

    // How often the reply wait slept.
    int waits() const { return m_waits; }

private:
    struct Event {
        qint64 due;
        quint64 order;
        std::function<void()> what;
    };
    // Runs the earliest event due at or before `limit`; false when none is.
    bool runNext(qint64 limit);

    qint64 m_now = 0;
    quint64 m_order = 0;
    const QDateTime m_wallStart {QDate(2026, 12, 6), QTime(14, 5)};
    std::vector<Event> m_events;
    int m_waits = 0;
};
