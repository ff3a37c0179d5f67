#include "pluggable_transmitter.h"

#include "scripted_transmitter.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>

#include <cerrno>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

PluggableTransmitter::PluggableTransmitter(const QString &devicePath) : m_devicePath(devicePath)
{
    plugIn();
}

PluggableTransmitter::~PluggableTransmitter()
{
    m_notifier.reset();
    pullOut();
}

void PluggableTransmitter::plugIn()
{
    pullOut();
    received.clear();
    commands.clear();
    m_partial.clear();

    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        pullOut();
        return;
    }
    const QByteArray slavePath = ptsname(m_master);
    // Our own descriptor of the slave side keeps the master readable while
    // the program has its port closed (it would read EIO without one).
    m_slave = ::open(slavePath.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios attributes {};
    if (tcgetattr(m_master, &attributes) == 0) {
        cfmakeraw(&attributes);
        tcsetattr(m_master, TCSANOW, &attributes);
    }
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    QFile::remove(m_devicePath);
    QFile::link(QString::fromLocal8Bit(slavePath), m_devicePath);

    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this,
            &PluggableTransmitter::readCommands);
}

void PluggableTransmitter::pullOut()
{
    if (m_notifier) {
        m_notifier->setEnabled(false);
        // It may be the notifier whose signal is being delivered right now.
        m_notifier.release()->deleteLater();
    }
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
    QFile::remove(m_devicePath);
}

void PluggableTransmitter::send(const QByteArray &bytes)
{
    qsizetype sent = 0;
    while (m_master >= 0 && sent < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + sent, size_t(bytes.size() - sent));
        if (n > 0) {
            sent += n;
            continue;
        }
        // The terminal's buffer is full until the program reads: let it.
        if (n < 0 && errno != EAGAIN)
            return;
        QCoreApplication::processEvents();
    }
}

void PluggableTransmitter::readCommands()
{
    char buffer[4096];
    ssize_t n;
    while (m_master >= 0 && (n = ::read(m_master, buffer, sizeof buffer)) > 0) {
        received.append(buffer, n);
        for (ssize_t i = 0; i < n; ++i) {
            const char c = buffer[i];
            QByteArray command;
            if (c == '\x03' || c == '\b') {
                command = QByteArray(1, c);
            } else if (c == '\r') {
                command = std::exchange(m_partial, QByteArray());
            } else {
                m_partial += c;
                continue;
            }
            commands << command;
            if (onCommand)
                onCommand(command);
            else
                answerWell(command);
            // The command may have pulled the plug.
            if (m_master < 0)
                return;
        }
    }
}

void PluggableTransmitter::answerWell(const QByteArray &command)
{
    using T = ScriptedTransmitter;
    static const QList<std::pair<QByteArray, QByteArray>> queries {
        {"T0", "T0 = 30000"},
        {"R0", "R0 = 20000"},
        {"SPAN", "Span =  2000"},
        {"TS", "TSpan = 25000"},
        {"RS", "RSpan = 20000"},
        {"RH", "Relay high = 800"},
        {"RL", "Relay low = 700"},
        {"VER", "STD 6.10"},
        {"PARAM", "T0 = 30000\r\nR0 = 20000\r\nSpan = 2000"},
    };
    if (command == "X") {
        send(T::reading(rx, tx, ppm, avg));
        return;
    }
    for (const auto &[query, text] : queries) {
        if (command == query) {
            send(T::frame(command, text));
            return;
        }
    }
    // Setting and store commands are echoed and acknowledged; the control
    // characters sent on opening a port get no answer.
    if (command.size() > 1 || (!command.isEmpty() && command[0] >= ' '))
        send(T::frame(command));
}
