#include "pseudo_terminal.h"

#include <QElapsedTimer>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

PseudoTerminal::PseudoTerminal()
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return;
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        hangUp();
        return;
    }
    m_slavePath = QString::fromLocal8Bit(ptsname(m_master));
    // Raw mode, so the line discipline passes CR and control bytes unchanged.
    termios attributes {};
    if (tcgetattr(m_master, &attributes) == 0) {
        cfmakeraw(&attributes);
        tcsetattr(m_master, TCSANOW, &attributes);
    }
}

PseudoTerminal::~PseudoTerminal()
{
    hangUp();
}

bool PseudoTerminal::write(const QByteArray &bytes)
{
    return m_master >= 0
        && ::write(m_master, bytes.constData(), size_t(bytes.size())) == bytes.size();
}

QByteArray PseudoTerminal::read(int timeoutMs, int gatherMs)
{
    QByteArray data;
    pollfd fd {m_master, POLLIN, 0};
    int wait = timeoutMs;
    while (m_master >= 0 && ::poll(&fd, 1, wait) > 0 && (fd.revents & POLLIN)) {
        char buffer[4096];
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0)
            break;
        data.append(buffer, n);
        wait = gatherMs;
    }
    return data;
}

QByteArray PseudoTerminal::readUntil(char terminator, int timeoutMs)
{
    QByteArray data;
    QElapsedTimer timer;
    timer.start();
    while (!data.contains(terminator) && timer.elapsed() < timeoutMs)
        data += read(int(qMax<qint64>(1, timeoutMs - timer.elapsed())), 0);
    return data;
}

void PseudoTerminal::hangUp()
{
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}
