#include "pty_link.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

std::string systemError(const std::string &what)
{
    return what + ": " + std::strerror(errno);
}

std::string linkTarget(const std::string &path)
{
    char target[4096];
    const ssize_t length = readlink(path.c_str(), target, sizeof target - 1);
    return length < 0 ? std::string() : std::string(target, std::size_t(length));
}

} // namespace

std::unique_ptr<PtyLink> PtyLink::create(const std::string &linkPath, std::string &error)
{
    std::unique_ptr<PtyLink> link(new PtyLink);

    link->m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (link->m_master < 0 || grantpt(link->m_master) != 0 || unlockpt(link->m_master) != 0) {
        error = systemError("cannot make a pseudo-terminal");
        return nullptr;
    }
    char name[256];
    if (ptsname_r(link->m_master, name, sizeof name) != 0) {
        error = systemError("cannot name the pseudo-terminal");
        return nullptr;
    }
    link->m_slaveName = name;
    link->m_slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (link->m_slave < 0) {
        error = systemError("cannot open " + link->m_slaveName);
        return nullptr;
    }
    // Raw from the start: with the default line discipline a tool that opened
    // the port without setting it up would see its own commands echoed and
    // carriage returns turned into line feeds.
    termios settings {};
    if (tcgetattr(link->m_slave, &settings) == 0) {
        cfmakeraw(&settings);
        cfsetspeed(&settings, B9600);
        tcsetattr(link->m_slave, TCSANOW, &settings);
    }
    fcntl(link->m_master, F_SETFL, fcntl(link->m_master, F_GETFL) | O_NONBLOCK);

    struct stat existing { };
    if (lstat(linkPath.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
        error = linkPath + " exists and is not a symbolic link; not replacing it";
        return nullptr;
    }
    // Made under a temporary name and renamed, so the path never points
    // nowhere while an old link is replaced.
    const std::string temporary = linkPath + ".new" + std::to_string(getpid());
    unlink(temporary.c_str());
    if (symlink(name, temporary.c_str()) != 0) {
        error = systemError("cannot create " + temporary);
        return nullptr;
    }
    if (rename(temporary.c_str(), linkPath.c_str()) != 0) {
        error = systemError("cannot create " + linkPath);
        unlink(temporary.c_str());
        return nullptr;
    }
    link->m_linkPath = linkPath;
    return link;
}

PtyLink::~PtyLink()
{
    if (!m_linkPath.empty() && linkTarget(m_linkPath) == m_slaveName)
        unlink(m_linkPath.c_str());
    if (m_slave >= 0)
        close(m_slave);
    if (m_master >= 0)
        close(m_master);
}

bool PtyLink::write(const std::string &bytes)
{
    return m_master >= 0 && ::write(m_master, bytes.data(), bytes.size()) == ssize_t(bytes.size());
}

std::string PtyLink::read(int timeoutMs, int gatherMs)
{
    std::string data;
    pollfd fd {m_master, POLLIN, 0};
    int wait = timeoutMs;
    while (m_master >= 0 && ::poll(&fd, 1, wait) > 0 && (fd.revents & POLLIN)) {
        char buffer[4096];
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0)
            break;
        data.append(buffer, std::size_t(n));
        wait = gatherMs;
    }
    return data;
}

void PtyLink::hangUp()
{
    for (int *fd : {&m_slave, &m_master}) {
        if (*fd >= 0)
            close(*fd);
        *fd = -1;
    }
}
