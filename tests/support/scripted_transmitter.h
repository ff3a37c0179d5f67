#pragma once

#include "fake_clock.h"
#include "fake_serial_port.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QQueue>

#include <functional>
#include <optional>

// A transmitter on the fake port that answers each command from a script:
// it gathers the bytes up to each carriage return and sends the reply after
// a delay on the fake clock, whole or in pieces, or stays silent. It answers
// the parameter queries as a calibrated transmitter does (T0 30000, R0 20000,
// TS 25500, RS 20100, span 2000 ppm, relay 800 and 700); a command it has no
// script for is acknowledged (echo and prompt), as the transmitter
// acknowledges a setting or a store.
class ScriptedTransmitter {
public:
    struct Reply {
        QList<QByteArray> pieces; // sent one after another
        qint64 delay = 5; // before the first piece, and between pieces
    };

    ScriptedTransmitter(FakeSerialPort &port, FakeClock &clock);

    // The reply frame: echo, CR LF, the text and CR LF if there is text, ">".
    static QByteArray frame(const QByteArray &command, const QByteArray &text = {});
    // The 45-byte answer to "X" carrying the four fields in their columns.
    static QByteArray reading(double rx, double tx, double ppm, double avg);

    // Standing answers by command (without its CR).
    void answer(const QByteArray &command, const QByteArray &text = {});
    void answerRaw(const QByteArray &command, const Reply &reply);
    void silence(const QByteArray &command);
    // The reply to "X" from now on.
    void setReading(double rx, double tx, double ppm, double avg);
    // One-off replies that take precedence over the standing ones, in order.
    void queue(const QByteArray &command, const Reply &reply);
    void queueSilence(const QByteArray &command);
    // Called for every command with its text (without CR).
    std::function<void(const QByteArray &)> onCommand;

    QList<QByteArray> commands; // every command received, without CR

private:
    void received(const QByteArray &bytes);
    void send(const Reply &reply);

    FakeSerialPort &m_port;
    FakeClock &m_clock;
    QByteArray m_partial;
    QMap<QByteArray, std::optional<Reply>> m_standing;
    QMap<QByteArray, QQueue<std::optional<Reply>>> m_queued;
};
