#pragma once

#include <sys/resource.h>

#include <csignal>

// A disk that takes `bytes` of a file and no more, as a full one: writes past
// it fail instead of stopping the process. The limit goes back when this goes.
class FullDisk {
public:
    explicit FullDisk(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FullDisk() { setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old {};
};
