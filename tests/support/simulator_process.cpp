#include "simulator_process.h"

#include <QFile>

SimulatorProcess::SimulatorProcess(const QString &program) : m_program(program) { }

SimulatorProcess::~SimulatorProcess()
{
    stop();
}

bool SimulatorProcess::start(const QStringList &options)
{
    m_process.start(m_program,
                    options
                        + QStringList {QStringLiteral("--log"),
                                       m_dir.filePath(QStringLiteral("sim.log")), link()});
    if (!m_process.waitForStarted(5000))
        return false;
    while (m_process.waitForReadyRead(5000)) {
        while (m_process.canReadLine())
            if (m_process.readLine().startsWith("ready "))
                return true;
    }
    return false;
}

void SimulatorProcess::control(const QByteArray &line)
{
    m_process.write(line + '\n');
    m_process.waitForBytesWritten(1000);
    // Wait for its answer, so the change is in effect when this returns.
    m_process.waitForReadyRead(1000);
    m_process.readAll();
}

QByteArray SimulatorProcess::log() const
{
    QFile file(m_dir.filePath(QStringLiteral("sim.log")));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

QList<std::pair<double, QByteArray>> SimulatorProcess::received() const
{
    return logged("RX");
}

QList<std::pair<double, QByteArray>> SimulatorProcess::logged(const QByteArray &kind) const
{
    // Lines look like: 12.345 RX "T012346\r"
    QList<std::pair<double, QByteArray>> lines;
    for (const QByteArray &line : log().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() >= 3 && parts[1] == kind) {
            QByteArray text = line.mid(parts[0].size() + kind.size() + 3);
            text.chop(1);
            lines.append({parts[0].toDouble(), text});
        }
    }
    return lines;
}

void SimulatorProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.write("quit\n");
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(1000);
    }
}
