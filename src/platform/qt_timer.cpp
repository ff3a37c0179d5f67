#include "qt_timer.h"

QtTimer::QtTimer()
{
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        if (m_tick)
            m_tick();
    });
}

void QtTimer::setInterval(int milliseconds)
{
    // A running QTimer restarts on a new interval; keep the enabled state as it
    // is, which is what a window timer does.
    m_timer.setInterval(milliseconds);
}

void QtTimer::setEnabled(bool enabled)
{
    if (enabled)
        m_timer.start();
    else
        m_timer.stop();
}

void QtTimer::setTick(std::function<void()> tick)
{
    m_tick = std::move(tick);
}
