#include "control_pipe.h"

#include <QDebug>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

void sendControl(const QString &pipe, const QString &line)
{
    const int fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    const QByteArray bytes = line.toLatin1() + '\n';
    if (::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size())
        qWarning().noquote() << "control line lost:" << line;
    ::close(fd);
}
