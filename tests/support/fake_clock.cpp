#include "fake_clock.h"

#include <algorithm>

class FakeTimer : public Timer {
public:
    explicit FakeTimer(FakeClock &clock) : m_clock(clock) { m_clock.m_timers.push_back(this); }
    ~FakeTimer() override { std::erase(m_clock.m_timers, this); }

    void setInterval(int milliseconds) override
    {
        m_interval = milliseconds;
        if (m_enabled)
            m_due = m_clock.m_now + m_interval;
    }
    int interval() const override { return m_interval; }
    void setEnabled(bool enabled) override
    {
        m_enabled = enabled;
        if (enabled) {
            m_due = m_clock.m_now + m_interval;
            m_order = ++m_clock.m_order;
        }
    }
    bool isEnabled() const override { return m_enabled; }
    void setTick(std::function<void()> tick) override { m_tick = std::move(tick); }

    void fire()
    {
        // The next tick is one interval on; a tick that restarts the timer
        // moves it again.
        m_due = m_clock.m_now + m_interval;
        m_order = ++m_clock.m_order;
        if (m_tick)
            m_tick();
    }

    FakeClock &m_clock;
    int m_interval = 0;
    bool m_enabled = false;
    qint64 m_due = 0;
    quint64 m_order = 0;
    std::function<void()> m_tick;
};

FakeClock::FakeClock() : m_wallStart(QDate(2026, 12, 6), QTime(14, 5)) { }

FakeClock::~FakeClock() = default;

QDateTime FakeClock::now() const
{
    return m_wallStart.addMSecs(m_now);
}

std::unique_ptr<Timer> FakeClock::createTimer()
{
    return std::make_unique<FakeTimer>(*this);
}

void FakeClock::schedule(qint64 delay, std::function<void()> what)
{
    m_events.push_back({m_now + std::max<qint64>(0, delay), ++m_order, std::move(what)});
}

bool FakeClock::runNext(qint64 limit)
{
    auto event
        = std::min_element(m_events.begin(), m_events.end(), [](const Event &a, const Event &b) {
              return std::pair(a.due, a.order) < std::pair(b.due, b.order);
          });
    FakeTimer *timer = nullptr;
    for (FakeTimer *t : m_timers) {
        if (t->m_enabled && t->m_interval > 0
            && (!timer
                || std::pair(t->m_due, t->m_order) < std::pair(timer->m_due, timer->m_order)))
            timer = t;
    }
    const bool eventFirst = event != m_events.end()
        && (!timer
            || std::pair(event->due, event->order) < std::pair(timer->m_due, timer->m_order));
    if (eventFirst && event->due <= limit) {
        m_now = std::max(m_now, event->due);
        auto what = std::move(event->what);
        m_events.erase(event);
        what();
        return true;
    }
    if (!eventFirst && timer && timer->m_due <= limit) {
        m_now = std::max(m_now, timer->m_due);
        timer->fire();
        return true;
    }
    return false;
}

void FakeClock::waitForEvents(qint64 deadline)
{
    ++m_waits;
    if (!runNext(deadline))
        m_now = std::max(m_now, deadline);
}

void FakeClock::advance(qint64 milliseconds)
{
    const qint64 target = m_now + milliseconds;
    while (runNext(target)) { }
    m_now = std::max(m_now, target);
}
