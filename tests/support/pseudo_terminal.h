#pragma once

#include <QByteArray>
#include <QString>

// The far end of a serial line for tests of the real Qt port: the test holds
// the master side, the program opens the slave device like a serial port.
class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    bool isValid() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }

    bool write(const QByteArray &bytes);
    // Reads what the program wrote, waiting up to `timeoutMs` for the first
    // byte and then up to `gatherMs` after each byte for the rest of a burst.
    QByteArray read(int timeoutMs = 1000, int gatherMs = 20);
    // Reads until `terminator` has been seen or the time is up.
    QByteArray readUntil(char terminator, int timeoutMs = 1000);
    // The far end goes away, as a pulled USB adapter does.
    void hangUp();

private:
    int m_master = -1;
    QString m_slavePath;
};
