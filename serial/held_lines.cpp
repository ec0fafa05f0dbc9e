#include "held_lines.h"

#include <array>
#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// One line per COM port is the most a program can hold.
constexpr std::size_t kMaxHeldLines = 4;

struct HeldLine
{
    std::atomic<int> fd{-1};  // set last and cleared first, so a signal never sees half a record
    char lockPath[PATH_MAX] = {};
};

std::array<HeldLine, kMaxHeldLines> heldLines;

static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads the records");

void releaseAndEnd(int signal)
{
    releaseHeldLines();
    // SA_RESETHAND has restored the default action: the signal ends the program on return,
    // and whoever started it sees how it ended.
    std::raise(signal);
}

}  // namespace

void recordHeldLine(int fd, const std::string &lockPath)
{
    for (HeldLine &line : heldLines) {
        if (line.fd.load() >= 0)
            continue;
        if (lockPath.size() < sizeof line.lockPath)
            std::memcpy(line.lockPath, lockPath.c_str(), lockPath.size() + 1);
        else
            line.lockPath[0] = '\0';  // too long to keep: it stays behind, stale once we end
        line.fd.store(fd);
        return;
    }
}

void forgetHeldLine(int fd)
{
    for (HeldLine &line : heldLines) {
        if (line.fd.load() == fd)
            line.fd.store(-1);
    }
}

void releaseHeldLines() noexcept
{
    for (HeldLine &line : heldLines) {
        const int fd = line.fd.exchange(-1);
        if (fd < 0)
            continue;
        ::tcflush(fd, TCOFLUSH);
        ::ioctl(fd, TIOCNXCL);
        if (line.lockPath[0] != '\0')
            ::unlink(line.lockPath);
    }
}

void releaseHeldLinesOnTerminationSignals()
{
    constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
    struct sigaction action = {};
    action.sa_handler = releaseAndEnd;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals)
        sigaddset(&action.sa_mask, signal);  // one release at a time
    for (const int signal : kSignals) {
        // A signal the program was started to ignore (nohup) stays ignored.
        struct sigaction before = {};
        if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
            ::sigaction(signal, &action, nullptr);
    }
}
