#pragma once

#include <memory>
#include <string>

// A pseudo-terminal in raw mode with a symbolic link to its slave side, which
// is what the calibration tool opens as its serial port.
class PtyLink {
public:
    // Replaces an existing symbolic link at linkPath; refuses any other file,
    // so a typing error cannot destroy a user's data. On failure returns null
    // and says why in error.
    static std::unique_ptr<PtyLink> create(const std::string &linkPath, std::string &error);

    // Removes the link if it still leads to this terminal: a second simulator
    // that took the same path over keeps its link.
    ~PtyLink();

    PtyLink(const PtyLink &) = delete;
    PtyLink &operator=(const PtyLink &) = delete;

    int masterFd() const { return m_master; }
    // The far end's side, for tests of a program on the line: writes bytes
    // as they stand, and reads what came, waiting up to `timeoutMs` for the
    // first byte and then up to `gatherMs` after each one for the rest.
    bool write(const std::string &bytes);
    std::string read(int timeoutMs, int gatherMs = 20);
    // The line goes dead, as a pulled USB adapter does; the link stays.
    void hangUp();
    const std::string &slaveName() const { return m_slaveName; }
    const std::string &linkPath() const { return m_linkPath; }

private:
    PtyLink() = default;

    int m_master = -1;
    // Held open for the simulator's whole life. Without it the master reads
    // EIO and polls POLLHUP whenever the tool has closed its port, and the
    // terminal's raw settings are lost until somebody opens it again.
    int m_slave = -1;
    std::string m_slaveName;
    std::string m_linkPath;
};
