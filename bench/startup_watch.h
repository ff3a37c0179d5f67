#pragma once

#include <QEvent>
#include <QObject>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

// For the start-up benchmark's children: the moments of a start on the
// steady clock the benchmark started them by, and the end of the process the
// moment its window is first exposed. It prints one line,
//   exposed WIDTH HEIGHT main=MS app=MS built=MS exposed=MS
// with each moment in milliseconds after the benchmark started the process.
class StartupWatch : public QObject {
public:
    explicit StartupWatch(long long spawnedNanoseconds) : m_spawned(spawnedNanoseconds)
    {
        mark("main");
    }

    static long long now()
    {
        timespec time {};
        clock_gettime(CLOCK_MONOTONIC, &time);
        return time.tv_sec * 1'000'000'000LL + time.tv_nsec;
    }

    void mark(const char *moment)
    {
        m_moments
            += std::string(" ") + moment + "=" + std::to_string(double(now() - m_spawned) / 1e6);
    }

    void watch(QWidget &window)
    {
        window.winId();
        window.windowHandle()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = static_cast<QWindow *>(watched);
        if (event->type() == QEvent::Expose && window->isExposed()) {
            mark("exposed");
            std::printf("exposed %d %d%s\n", window->width(), window->height(), m_moments.c_str());
            std::fflush(stdout);
            std::_Exit(0);
        }
        return false;
    }

private:
    long long m_spawned;
    std::string m_moments;
};
