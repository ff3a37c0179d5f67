#include "scripted_transmitter.h"

ScriptedTransmitter::ScriptedTransmitter(FakeSerialPort &port, FakeClock &clock)
    : m_port(port), m_clock(clock)
{
    m_port.onWrite = [this](const QByteArray &bytes) { received(bytes); };
    setReading(20000, 30000, 400, 400);
    // The span's value stands one place after its label.
    const std::pair<const char *, const char *> parameters[] = {
        {"T0", "T0 = 30000"},     {"R0", "R0 = 20000"},          {"TS", "TSpan = 25500"},
        {"RS", "RSpan = 20100"},  {"SPAN", "Span =  2000"},      {"RH", "Relay high = 800"},
        {"RL", "Relay low = 700"}, {"VER", "STD 2.15 (2019)"}};
    for (const auto &[command, text] : parameters)
        answer(command, text);
}

QByteArray ScriptedTransmitter::frame(const QByteArray &command, const QByteArray &text)
{
    QByteArray reply = command + "\r\n";
    if (!text.isEmpty())
        reply += text + "\r\n";
    return reply + ">";
}

QByteArray ScriptedTransmitter::reading(double rx, double tx, double ppm, double avg)
{
    const auto field
        = [](double value) { return QByteArray::number(value, 'g', 7).rightJustified(6, ' '); };
    QByteArray line = field(rx) + '\t' + field(tx) + '\t' + field(ppm) + ' ' + field(avg);
    line = line.leftJustified(39, ' ');
    return frame("X", line);
}

void ScriptedTransmitter::answer(const QByteArray &command, const QByteArray &text)
{
    answerRaw(command, {{frame(command, text)}});
}

void ScriptedTransmitter::answerRaw(const QByteArray &command, const Reply &reply)
{
    m_standing[command] = reply;
}

void ScriptedTransmitter::silence(const QByteArray &command)
{
    m_standing[command] = std::nullopt;
}

void ScriptedTransmitter::setReading(double rx, double tx, double ppm, double avg)
{
    answerRaw("X", {{reading(rx, tx, ppm, avg)}});
}

void ScriptedTransmitter::queue(const QByteArray &command, const Reply &reply)
{
    m_queued[command].enqueue(reply);
}

void ScriptedTransmitter::queueSilence(const QByteArray &command)
{
    m_queued[command].enqueue(std::nullopt);
}

void ScriptedTransmitter::received(const QByteArray &bytes)
{
    for (char c : bytes) {
        if (c == '\x03' || c == '\b') {
            m_partial.clear();
            continue;
        }
        if (c != '\r') {
            m_partial += c;
            continue;
        }
        const QByteArray command = std::exchange(m_partial, QByteArray());
        commands << command;
        if (onCommand)
            onCommand(command);
        std::optional<Reply> reply;
        if (auto queued = m_queued.find(command); queued != m_queued.end() && !queued->isEmpty())
            reply = queued->dequeue();
        else if (auto standing = m_standing.find(command); standing != m_standing.end())
            reply = *standing;
        else
            reply = Reply {{frame(command)}};
        if (reply)
            send(*reply);
    }
}

void ScriptedTransmitter::send(const Reply &reply)
{
    qint64 at = 0;
    for (const QByteArray &piece : reply.pieces) {
        at += reply.delay;
        m_clock.schedule(at, [this, piece] { m_port.deliver(piece); });
    }
}
