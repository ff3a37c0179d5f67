#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QSocketNotifier;

// A transmitter at the far end of a pseudo-terminal that a test can pull out
// and plug in again, as a technician does with a USB adapter: the device path
// (a symbolic link) stays the same, the terminal behind it is new.
//
// It answers in the test's own thread. The window's reply wait runs the event
// loop while it waits, and a socket notifier on the master side hands each
// command to `onCommand` there, so a test needs no second thread and no sleep.
class PluggableTransmitter : public QObject {
    Q_OBJECT

public:
    // The link is made at `devicePath`, and the transmitter is plugged in.
    explicit PluggableTransmitter(const QString &devicePath);
    ~PluggableTransmitter() override;

    QString devicePath() const { return m_devicePath; }
    bool isPluggedIn() const { return m_master >= 0; }

    // The far end goes away: the terminal hangs up and the link is removed.
    void pullOut();
    // A new terminal behind the same path; what was received is forgotten.
    void plugIn();

    // Puts bytes on the line to the program.
    void send(const QByteArray &bytes);

    // Every command as it arrives, without its carriage return. The control
    // characters the program sends on opening a port (end of text, backspace)
    // arrive as commands of their own. Unset, `answerWell` answers.
    std::function<void(const QByteArray &command)> onCommand;
    // The answer of a well-behaved, calibrated transmitter.
    void answerWell(const QByteArray &command);

    QByteArray received; // every byte since the last plug-in
    QList<QByteArray> commands; // every command since the last plug-in

    // The reading "X" is answered with.
    double rx = 20000, tx = 30000, ppm = 405, avg = 455;

private:
    void readCommands();

    QString m_devicePath;
    int m_master = -1;
    int m_slave = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QByteArray m_partial;
};
