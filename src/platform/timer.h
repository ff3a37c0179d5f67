#pragma once

#include <functional>

// A periodic window timer: an interval in milliseconds, an enabled state that
// can be set and queried, and a tick delivered on the user-interface thread
// while it is enabled. Enabling a timer starts its interval afresh.
class Timer {
public:
    virtual ~Timer() = default;

    virtual void setInterval(int milliseconds) = 0;
    virtual int interval() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;
    virtual void setTick(std::function<void()> tick) = 0;

    void start() { setEnabled(true); }
    void stop() { setEnabled(false); }
};
