// Closing the window in the middle of an exchange ends the real program at once, with nothing
// more sent on the line. The program runs offscreen on a pseudo-terminal; a robot plugin
// plays the operator.
#include "frame.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

using namespace std::chrono_literals;

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1)
        : m_fd(fd)
    {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

bool readable(int fd, std::chrono::milliseconds limit)
{
    pollfd watched{fd, POLLIN, 0};
    return ::poll(&watched, 1, static_cast<int>(limit.count())) > 0 &&
           (watched.revents & POLLIN) != 0;
}

// Reads from fd until `wanted` bytes have come or nothing has come for `limit`.
std::string readBytes(int fd, std::size_t wanted, std::chrono::milliseconds limit)
{
    std::string bytes;
    while (bytes.size() < wanted && readable(fd, limit)) {
        char buffer[64];
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count <= 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
    return bytes;
}

void writeAll(int fd, const std::string &bytes)
{
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

TEST(Shutdown, closingTheWindowDuringAnExchangeEndsTheProgramAtOnceAndSendsNothingMore)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    FileDescriptor masterGuard(master);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string device = ::ptsname(master);
    // Held open here too, so that the master never reads a hang-up while the program is away.
    FileDescriptor deviceSide(::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    ASSERT_GE(deviceSide.get(), 0);

    std::array<int, 2> orders{};
    ASSERT_EQ(::pipe(orders.data()), 0);
    FileDescriptor ordersIn(orders[0]);
    FileDescriptor ordersOut(orders[1]);
    ::fcntl(orders[1], F_SETFD, FD_CLOEXEC);

    std::vector<std::string> environment;
    for (char **variable = environ; *variable; ++variable)
        environment.emplace_back(*variable);
    environment.push_back("QT_QPA_PLATFORM=offscreen");
    environment.push_back(std::string("QT_PLUGIN_PATH=") + ROBOT_PLUGIN_PATH);
    environment.push_back("QT_QPA_GENERIC_PLUGINS=comrsrobot");
    environment.push_back("COMRS_ROBOT_FD=" + std::to_string(orders[0]));
    std::vector<char *> envp;
    for (std::string &variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    std::string program = COMRS232_PROGRAM;
    std::string portOption = "--port1=" + device;
    std::vector<char *> argv = {program.data(), portOption.data(), nullptr};

    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), envp.data()), 0);
    const FileDescriptor exited(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    if (exited.get() < 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        GTEST_SKIP() << "no pidfd_open on this kernel";
    }

    // "\" waits 6000 ms after its frame before it looks at the line.
    writeAll(orders[1], "type \\\nenter\n");
    const std::string frame = readBytes(master, 5, 20s);
    ASSERT_EQ(frame, buildFrame("\\")) << "the program never sent the instruction";
    // The reply waits unread; had the exchange gone on, it would be confirmed with an ACK.
    writeAll(master, std::string(1, kAck) + buildFrame("FAIT"));
    writeAll(orders[1], "close\n");

    pollfd gone{exited.get(), POLLIN, 0};
    const bool endedBeforeTheWaitWasOver = ::poll(&gone, 1, 4000) == 1;
    if (!endedBeforeTheWaitWasOver)
        ::kill(pid, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(endedBeforeTheWaitWasOver) << "the exchange was not abandoned";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_FALSE(readable(master, 0ms))
        << "something more was sent: " << readBytes(master, 64, 0ms);
}

}  // namespace
