#include "uucp_lock.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <signal.h>
#include <unistd.h>

namespace {

enum class LockFile { Absent, Unreadable, Read };

LockFile readLockFile(const std::string &path, std::string &content)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? LockFile::Absent : LockFile::Unreadable;
    char buffer[64];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    if (n < 0)
        return LockFile::Unreadable;
    content.assign(buffer, static_cast<std::size_t>(n));
    return LockFile::Read;
}

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

bool uucpLockHeld(const std::string &devicePath, const std::vector<std::string> &lockDirectories)
{
    const std::string fileName = lockFileName(devicePath);
    for (const std::string &directory : lockDirectories) {
        std::string content;
        switch (readLockFile(directory + "/" + fileName, content)) {
        case LockFile::Absent:
            continue;
        case LockFile::Unreadable:
            // Someone made a lock we may not read: better refuse the port than share it.
            return true;
        case LockFile::Read: {
            const std::optional<pid_t> owner = lockOwner(content);
            if (owner && *owner != ::getpid() && processRuns(*owner))
                return true;
            break;
        }
        }
    }
    return false;
}
