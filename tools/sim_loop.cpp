#include "sim_loop.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace sim {

namespace {

volatile std::sig_atomic_t g_stopSignal = 0;
int g_wakeWriteFd = -1;

extern "C" void onStopSignal(int signal)
{
    g_stopSignal = signal;
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = write(g_wakeWriteFd, &byte, 1);
    errno = saved;
}

/// SIGINT and SIGTERM wake the loop through a pipe it polls with the line, so a signal that
/// comes while the loop is busy still ends its next sleep at once. Restores the old handlers.
class StopSignals
{
public:
    StopSignals()
    {
        if (pipe(m_pipe) == 0) {
            for (const int fd : m_pipe) {
                fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
                fcntl(fd, F_SETFD, FD_CLOEXEC);
            }
        }
        g_wakeWriteFd = m_pipe[1];
        struct sigaction action
        {};
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &m_oldInt);
        sigaction(SIGTERM, &action, &m_oldTerm);
    }
    ~StopSignals()
    {
        sigaction(SIGINT, &m_oldInt, nullptr);
        sigaction(SIGTERM, &m_oldTerm, nullptr);
        g_wakeWriteFd = -1;
        close(m_pipe[0]);
        close(m_pipe[1]);
    }
    StopSignals(const StopSignals &) = delete;
    StopSignals &operator=(const StopSignals &) = delete;

    int wakeFd() const { return m_pipe[0]; }

private:
    int m_pipe[2] = {-1, -1};
    struct sigaction m_oldInt
    {};
    struct sigaction m_oldTerm
    {};
};

// Rounded up to the next millisecond: waking a little late is harmless, waking early would only
// find nothing due and go round again.
int millisecondsUntil(Micros now, Micros wake)
{
    const auto left = std::max(wake - now, Micros(0)).count();
    return static_cast<int>(std::min<long>((left + 999) / 1000, 24L * 3600 * 1000));
}

}  // namespace

int runSimulator(SimLine &line,
                 DeviceSession &session,
                 SimLog &log,
                 const ElapsedClock &clock,
                 std::optional<Micros> exitAfterIdle)
{
    g_stopSignal = 0;
    StopSignals signals;
    int lastPeerBaud = line.peerBaud();
    char buffer[4096];

    while (g_stopSignal == 0) {
        Micros now = clock.now();
        const std::string out = session.advance(now);
        const long written = line.writeSome(out);
        if (written < 0) {
            log.event(now, std::string("ligne perdue à l'écriture : ") + std::strerror(errno));
            return 1;
        }
        if (static_cast<std::size_t>(written) < out.size()) {
            // A real line never waits for its receiver either: what finds no room is lost.
            log.event(now,
                      std::to_string(out.size() - static_cast<std::size_t>(written)) +
                          " octets perdus : l'autre bout ne lit pas");
        }

        std::optional<Micros> wake = session.nextWake();
        if (exitAfterIdle && !session.busy()) {
            const Micros idleEnd = session.lastActivity() + *exitAfterIdle;
            if (now >= idleEnd) {
                log.event(now,
                          "inactif depuis " + std::to_string(exitAfterIdle->count() / 1'000'000) +
                              " s : fin");
                return 0;
            }
            wake = wake ? std::min(*wake, idleEnd) : idleEnd;
        }

        pollfd watched[2] = {{line.fd(), POLLIN, 0}, {signals.wakeFd(), POLLIN, 0}};
        const int ready = poll(watched, 2, wake ? millisecondsUntil(now, *wake) : -1);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            log.event(clock.now(), std::string("attente impossible : ") + std::strerror(errno));
            return 1;
        }
        if (ready == 0 || watched[0].revents == 0) {
            continue;
        }
        if ((watched[0].revents & POLLIN) == 0) {
            log.event(clock.now(), "ligne perdue (raccrochée ou en erreur)");
            return 1;
        }
        const ssize_t size = read(line.fd(), buffer, sizeof buffer);
        now = clock.now();
        if (size < 0 && (errno == EAGAIN || errno == EINTR)) {
            continue;
        }
        if (size <= 0) {
            log.event(now,
                      std::string("ligne perdue à la lecture : ") +
                          (size == 0 ? "fin de fichier" : std::strerror(errno)));
            return 1;
        }
        if (line.isPseudoTerminal()) {
            // The tool sets the speed on its end; a device at another speed would read garbage.
            const int peerBaud = line.peerBaud();
            if (peerBaud != lastPeerBaud) {
                log.event(now, "la ligne est à " + std::to_string(peerBaud) + " bauds");
                lastPeerBaud = peerBaud;
            }
        }
        session.receive(std::string_view(buffer, static_cast<std::size_t>(size)), now);
    }
    log.event(clock.now(), std::string("signal ") + strsignal(g_stopSignal) + " : fin");
    return 0;
}

}  // namespace sim
