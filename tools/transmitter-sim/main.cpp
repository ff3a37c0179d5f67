// The simulated transmitter on a pseudo-terminal: the pty, the poll loop, the
// control input and the log. All behaviour of the transmitter itself is in
// the Transmitter class, which this file only feeds with bytes and time.

#include "control_language.h"
#include "log_line.h"
#include "options.h"
#include "pty_link.h"
#include "transmitter.h"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Bounds for a peer that floods us or never reads: beyond them replies are
// dropped rather than memory used up.
constexpr std::size_t maxQueuedEmissions = 100000;
constexpr std::size_t maxUnwrittenBytes = 1 << 20;
constexpr std::size_t maxControlLine = 4096;

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 's';
    [[maybe_unused]] const auto ignored = write(signalPipe[1], &byte, 1);
}

void say(const std::string &text)
{
    std::fputs((text + '\n').c_str(), stdout);
    std::fflush(stdout);
}

class Log {
public:
    bool open(const std::string &path)
    {
        if (path.empty())
            return true;
        m_file = std::fopen(path.c_str(), "w");
        return m_file != nullptr;
    }
    ~Log()
    {
        if (m_file && m_file != stderr)
            std::fclose(m_file);
    }
    void write(double nowMs, std::string_view kind, std::string_view bytes)
    {
        std::fputs(logLine(nowMs / 1000.0, kind, bytes).c_str(), m_file);
        std::fflush(m_file);
    }

private:
    std::FILE *m_file = stderr;
};

// A source of control commands: standard input or the control pipe.
struct ControlInput {
    int fd = -1;
    bool isTerminalInput = false;
    bool closed = false;
    std::string pending;
};

// A background job that reads its terminal is stopped by the shell; the
// simulator started with "&" must keep serving, so it leaves the terminal
// alone until it is brought to the foreground.
bool mayRead(const ControlInput &input)
{
    if (!input.isTerminalInput)
        return true;
    const pid_t foreground = tcgetpgrp(input.fd);
    return foreground < 0 || foreground == getpgrp();
}

bool writeStateFile(const std::string &path, const TransmitterParameters &parameters)
{
    const std::string temporary = path + ".new";
    {
        std::ofstream file(temporary, std::ios::trunc);
        file << stateText(parameters);
        if (!file.flush())
            return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

std::optional<TransmitterParameters> readStateFile(const std::string &path, std::string &error)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    const auto parameters = parseStateText(text.str());
    if (!parameters)
        error = path + " is not a state file of the simulator";
    return parameters;
}

int run(SimOptions &options)
{
    std::string error;
    if (!options.statePath.empty() && access(options.statePath.c_str(), F_OK) == 0) {
        const auto saved = readStateFile(options.statePath, error);
        if (!saved) {
            std::fprintf(stderr, "transmitter-sim: %s\n", error.c_str());
            return 1;
        }
        options.setup.saved = *saved;
    }

    Log log;
    if (!log.open(options.logPath)) {
        std::fprintf(stderr, "transmitter-sim: cannot write %s: %s\n", options.logPath.c_str(),
                     std::strerror(errno));
        return 1;
    }

    bool madeFifo = false;
    std::vector<ControlInput> inputs;
    if (options.readStdin)
        inputs.push_back({STDIN_FILENO, isatty(STDIN_FILENO) != 0, false, {}});
    if (!options.controlPath.empty()) {
        struct stat existing { };
        if (stat(options.controlPath.c_str(), &existing) != 0) {
            madeFifo = mkfifo(options.controlPath.c_str(), 0600) == 0;
        } else if (!S_ISFIFO(existing.st_mode)) {
            std::fprintf(stderr, "transmitter-sim: %s is not a named pipe\n",
                         options.controlPath.c_str());
            return 1;
        }
        // Opened for writing too, so the pipe never reports end of file when
        // one "echo ... >" has finished.
        const int fd = open(options.controlPath.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            std::fprintf(stderr, "transmitter-sim: cannot open %s: %s\n",
                         options.controlPath.c_str(), std::strerror(errno));
            return 1;
        }
        inputs.push_back({fd, false, false, {}});
    }

    std::unique_ptr<PtyLink> link = PtyLink::create(options.link, error);
    if (!link) {
        std::fprintf(stderr, "transmitter-sim: %s\n", error.c_str());
        return 1;
    }

    const auto start = std::chrono::steady_clock::now();
    const auto nowMs = [start] {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count();
    };

    Transmitter transmitter(options.setup);
    int storesWritten = transmitter.storeCount();
    log.write(nowMs(), "START", options.link + " -> " + link->slaveName());
    say("ready " + options.link + " -> " + link->slaveName());

    std::deque<Emission> queue;
    std::string unwritten;
    std::string replyLeaving;
    double masterPausedUntil = 0.0;
    bool running = true;

    const auto handleControlLine = [&](const std::string &line) {
        log.write(nowMs(), "CTL", line);
        const ControlResult result = runControlCommand(line, transmitter, nowMs());
        std::string text = result.text;
        if (result.link == ControlResult::Link::Unplug && link) {
            // Like a pulled USB adapter: the tool's port hangs up, the device
            // path is gone, and whatever was on its way is lost.
            link.reset();
            queue.clear();
            unwritten.clear();
            replyLeaving.clear();
            log.write(nowMs(), "STOP", options.link);
        } else if (result.link == ControlResult::Link::Replug && !link) {
            link = PtyLink::create(options.link, error);
            if (!link) {
                text = "error: " + error;
            } else {
                text += " " + options.link + " -> " + link->slaveName();
                log.write(nowMs(), "START", options.link + " -> " + link->slaveName());
            }
        }
        if (!text.empty())
            say(text);
        if (result.quit)
            running = false;
    };

    while (running) {
        double now = nowMs();
        while (!queue.empty() && queue.front().atMs <= now) {
            // A reply leaves in pieces on a timed line; it is logged whole,
            // when its prompt has gone out.
            if (options.logReplies) {
                replyLeaving += queue.front().bytes;
                if (replyLeaving.ends_with('>')) {
                    log.write(now, "TX", replyLeaving);
                    replyLeaving.clear();
                }
            }
            if (unwritten.size() < maxUnwrittenBytes)
                unwritten += queue.front().bytes;
            queue.pop_front();
        }
        if (link && !unwritten.empty()) {
            const ssize_t written = write(link->masterFd(), unwritten.data(), unwritten.size());
            if (written > 0)
                unwritten.erase(0, std::size_t(written));
        }

        int timeoutMs = -1;
        const auto wakeAt = [&](double atMs) {
            const int ms = std::max(0, int(std::ceil(atMs - now)));
            timeoutMs = timeoutMs < 0 ? ms : std::min(timeoutMs, ms);
        };
        if (!queue.empty())
            wakeAt(queue.front().atMs);

        std::vector<pollfd> fds {{signalPipe[0], POLLIN, 0}};
        const bool masterActive = link && now >= masterPausedUntil;
        if (masterActive) {
            fds.push_back({link->masterFd(), short(POLLIN | (unwritten.empty() ? 0 : POLLOUT)), 0});
        } else if (link) {
            wakeAt(masterPausedUntil);
        }
        std::vector<ControlInput *> polled;
        for (ControlInput &input : inputs) {
            if (input.closed)
                continue;
            if (!mayRead(input)) {
                wakeAt(now + 500.0);
                continue;
            }
            fds.push_back({input.fd, POLLIN, 0});
            polled.push_back(&input);
        }

        if (poll(fds.data(), fds.size(), timeoutMs) < 0) {
            if (errno == EINTR)
                continue;
            std::fprintf(stderr, "transmitter-sim: poll: %s\n", std::strerror(errno));
            return 1;
        }
        if (fds[0].revents != 0)
            break;

        std::size_t next = 1;
        if (masterActive) {
            const pollfd &master = fds[next++];
            bool lost = (master.revents & (POLLHUP | POLLERR)) != 0 && !(master.revents & POLLIN);
            if (master.revents & POLLIN) {
                char buffer[4096];
                const ssize_t got = read(link->masterFd(), buffer, sizeof buffer);
                if (got > 0) {
                    now = nowMs();
                    Transmitter::Output output
                        = transmitter.receive({buffer, std::size_t(got)}, now);
                    for (const ReceivedItem &item : output.received)
                        log.write(now, "RX", item.wire());
                    for (Emission &emission : output.emissions) {
                        if (queue.size() < maxQueuedEmissions)
                            queue.push_back(std::move(emission));
                    }
                } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                    lost = true;
                }
            }
            // Not expected while our own slave descriptor is open, but if the
            // terminal hangs up anyway, look again later instead of spinning.
            if (lost)
                masterPausedUntil = now + 100.0;
        }

        if (transmitter.storeCount() != storesWritten && !options.statePath.empty()) {
            storesWritten = transmitter.storeCount();
            if (!writeStateFile(options.statePath, transmitter.saved()))
                log.write(nowMs(), "NOTE", "cannot write " + options.statePath);
        }

        for (ControlInput *input : polled) {
            const short revents = fds[next++].revents;
            if (revents == 0)
                continue;
            char buffer[1024];
            const ssize_t got = read(input->fd, buffer, sizeof buffer);
            if (got < 0 && (errno == EAGAIN || errno == EINTR || errno == EIO))
                continue;
            if (got <= 0) {
                // End of standard input is not a request to stop: the
                // simulator may run with its input closed.
                input->closed = true;
                continue;
            }
            input->pending.append(buffer, std::size_t(got));
            std::size_t end;
            while (running && (end = input->pending.find('\n')) != std::string::npos) {
                handleControlLine(input->pending.substr(0, end));
                input->pending.erase(0, end + 1);
            }
            if (input->pending.size() > maxControlLine)
                input->pending.clear();
        }
    }

    log.write(nowMs(), "STOP", options.link);
    if (madeFifo)
        unlink(options.controlPath.c_str());
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    ParsedOptions parsed = parseOptions(arguments);
    if (parsed.help) {
        std::fputs(usageText().c_str(), stdout);
        return 0;
    }
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "transmitter-sim: %s\n\n%s", parsed.error.c_str(),
                     usageText().c_str());
        return 2;
    }

    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("transmitter-sim: pipe");
        return 1;
    }
    struct sigaction action { };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    // A vanished reader of the log or of standard output must not kill the
    // simulator, and neither must terminal output from a background job.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGTTIN, SIG_IGN);
    std::signal(SIGTTOU, SIG_IGN);

    return run(parsed.options);
}
