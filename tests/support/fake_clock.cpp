#include "fake_clock.h"

#include <algorithm>

namespace {

// A timer whose every tick is an event on the fake clock.
class FakeTimer : public Timer {
public:
    explicit FakeTimer(FakeClock &clock) : m_clock(clock) { }
    ~FakeTimer() override { m_clock.cancel(m_next); }

    void setInterval(int milliseconds) override
    {
        m_interval = milliseconds;
        if (m_enabled)
            arm();
    }
    int interval() const override { return m_interval; }
    void setEnabled(bool enabled) override
    {
        m_enabled = enabled;
        if (enabled)
            arm();
        else
            m_clock.cancel(m_next);
    }
    bool isEnabled() const override { return m_enabled; }
    void setTick(std::function<void()> tick) override { m_tick = std::move(tick); }

private:
    // The next tick is one interval on; a tick that restarts the timer moves
    // it again.
    void arm()
    {
        m_clock.cancel(m_next);
        if (m_interval > 0)
            m_next = m_clock.schedule(m_interval, [this] {
                arm();
                if (m_tick)
                    m_tick();
            });
    }

    FakeClock &m_clock;
    int m_interval = 0;
    bool m_enabled = false;
    quint64 m_next = 0;
    std::function<void()> m_tick;
};

} // namespace

std::unique_ptr<Timer> FakeClock::createTimer()
{
    return std::make_unique<FakeTimer>(*this);
}

quint64 FakeClock::schedule(qint64 delay, std::function<void()> what)
{
    m_events.push_back({m_now + std::max<qint64>(0, delay), ++m_order, std::move(what)});
    return m_order;
}

void FakeClock::cancel(quint64 event)
{
    std::erase_if(m_events, [event](const Event &e) { return e.order == event; });
}

bool FakeClock::runNext(qint64 limit)
{
    const auto next
        = std::min_element(m_events.begin(), m_events.end(), [](const Event &a, const Event &b) {
              return std::pair(a.due, a.order) < std::pair(b.due, b.order);
          });
    if (next == m_events.end() || next->due > limit)
        return false;
    m_now = std::max(m_now, next->due);
    auto what = std::move(next->what);
    m_events.erase(next);
    what();
    return true;
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
