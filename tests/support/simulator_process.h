#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// The simulated transmitter as a separate process on a pseudo-terminal, for
// the few tests that run the program against it in real time.
class SimulatorProcess {
public:
    explicit SimulatorProcess(const QString &program);
    ~SimulatorProcess();

    // Starts it with `options` and waits for its link; false if it did not come up.
    bool start(const QStringList &options = {});
    QString link() const { return m_dir.filePath(QStringLiteral("ttyKESTRIN")); }
    // A line of its control language ("gas 2000", "fault noreply").
    void control(const QByteArray &line);
    // Its log so far: one line per command received, with a timestamp.
    QByteArray log() const;
    // The commands it received, each with the second it came at.
    QList<std::pair<double, QByteArray>> received() const;
    // Its log lines of one kind ("RX", "CTL", "START": each plug-in of the
    // link), each with its second and its quoted text.
    QList<std::pair<double, QByteArray>> logged(const QByteArray &kind) const;
    void stop();

private:
    QString m_program;
    QTemporaryDir m_dir;
    QProcess m_process;
};
