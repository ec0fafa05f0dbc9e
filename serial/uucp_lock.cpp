#include "uucp_lock.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A lock file holds a pid in eleven characters; a longer one was not made by a program that
// follows the convention, and is not read.
constexpr off_t kMaxLockFileSize = 128;

enum class Holder { Nobody, ThisProcess, Stale, Other };

enum class Making { Made, Exists, CannotWrite };

// Lock files hold the pid as ten ASCII digits and a newline; some old programs wrote it as
// a four-byte binary int.
std::optional<pid_t> lockOwner(const std::string &content)
{
    const char *text = content.c_str();
    char *end = nullptr;
    errno = 0;
    const long pid = std::strtol(text, &end, 10);
    if (end != text && errno == 0 && pid > 0 && pid <= INT_MAX)
        return static_cast<pid_t>(pid);
    if (content.size() == sizeof(int)) {
        int binary = 0;
        std::memcpy(&binary, content.data(), sizeof binary);
        if (binary > 0)
            return binary;
    }
    return std::nullopt;
}

bool processRuns(pid_t pid)
{
    // EPERM: the process exists but belongs to someone else.
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// Every user may write in the lock directory: a link or a FIFO planted there is neither followed
// nor waited on, and anything but a small plain file counts as a lock held by someone else.
Holder holderOf(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? Holder::Nobody : Holder::Other;
    struct stat file = {};
    char buffer[kMaxLockFileSize];
    ssize_t n = -1;
    if (::fstat(fd, &file) == 0 && S_ISREG(file.st_mode) && file.st_size <= kMaxLockFileSize)
        n = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    if (n < 0)
        return Holder::Other;
    const std::optional<pid_t> owner = lockOwner(std::string(buffer, static_cast<std::size_t>(n)));
    if (!owner || !processRuns(*owner))
        return Holder::Stale;
    return *owner == ::getpid() ? Holder::ThisProcess : Holder::Other;
}

// The pid goes into a file of our own first, which link() then puts in place only if no lock
// exists: nobody can read a lock file half written, and two programs cannot both take one.
Making makeLockFile(const std::string &directory, const std::string &path)
{
    std::string temporary = directory + "/LTMP.XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return Making::CannotWrite;
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(::getpid()));
    const bool written =
        ::fchmod(fd, 0644) == 0 && ::write(fd, text, static_cast<std::size_t>(length)) == length;
    ::close(fd);
    Making making = Making::CannotWrite;
    if (written && ::link(temporary.c_str(), path.c_str()) == 0)
        making = Making::Made;
    else if (written && errno == EEXIST)
        making = Making::Exists;
    ::unlink(temporary.c_str());
    return making;
}

}  // namespace

std::vector<std::string> defaultLockDirectories()
{
    return {"/var/lock", "/run/lock"};
}

std::string lockFileName(const std::string &devicePath)
{
    std::string name = devicePath;
    if (char *resolved = ::realpath(devicePath.c_str(), nullptr)) {
        name = resolved;
        std::free(resolved);
    }
    const std::size_t slash = name.rfind('/');
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    return "LCK.." + name;
}

std::optional<std::string> takeUucpLock(const std::string &devicePath,
                                        const std::vector<std::string> &lockDirectories)
{
    const std::string fileName = lockFileName(devicePath);
    // A second round only for a program that made its lock between our look and our link.
    for (int round = 0; round < 2; ++round) {
        std::vector<std::string> writable;
        for (const std::string &directory : lockDirectories) {
            const std::string path = directory + "/" + fileName;
            switch (holderOf(path)) {
            case Holder::Other:
                return std::nullopt;
            case Holder::ThisProcess:
                return std::string();
            case Holder::Stale:
                // A stale lock we may not remove stays, as before; we just cannot lock there.
                if (::unlink(path.c_str()) != 0 && errno != ENOENT)
                    continue;
                break;
            case Holder::Nobody:
                break;
            }
            writable.push_back(directory);
        }
        bool raced = false;
        for (const std::string &directory : writable) {
            const std::string path = directory + "/" + fileName;
            const Making making = makeLockFile(directory, path);
            if (making == Making::Made)
                return path;
            if (making == Making::Exists) {
                raced = true;
                break;
            }
        }
        if (!raced)
            return std::string();
    }
    return std::nullopt;
}

void releaseUucpLock(const std::string &lockPath)
{
    if (!lockPath.empty())
        ::unlink(lockPath.c_str());
}
