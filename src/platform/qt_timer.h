#pragma once

#include "timer.h"

#include <QTimer>

// A window timer on QTimer. Precise, because the reading poll promises 2000 ms
// and Qt's default coarse timers may be 5 % off.
class QtTimer : public Timer {
public:
    QtTimer();

    void setInterval(int milliseconds) override;
    int interval() const override { return m_timer.interval(); }
    void setEnabled(bool enabled) override;
    bool isEnabled() const override { return m_timer.isActive(); }
    void setTick(std::function<void()> tick) override;

private:
    QTimer m_timer;
    std::function<void()> m_tick;
};
