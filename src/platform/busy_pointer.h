#pragma once

#include "platform/platform.h"

// The busy pointer over the window while an operation works. The normal
// pointer comes back on every way out, or earlier, before a box that the
// technician has to answer.
class BusyPointer {
public:
    explicit BusyPointer(Desktop &desktop) : m_desktop(desktop) { }
    ~BusyPointer() { release(); }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;

    void show()
    {
        if (!m_busy)
            m_desktop.setBusyPointer(m_busy = true);
    }
    void release()
    {
        if (m_busy)
            m_desktop.setBusyPointer(m_busy = false);
    }

private:
    Desktop &m_desktop;
    bool m_busy = false;
};
