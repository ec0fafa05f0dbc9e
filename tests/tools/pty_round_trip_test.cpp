// The simulator binary on a real pseudo-terminal, talked to with plain termios as the tool would.
// Every wait is on a condition with a generous limit; nothing here measures time.
#include "hex_bytes.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

constexpr auto kPatience = std::chrono::seconds(20);

// Reads from fd until `done` holds for what has been read, or the patience runs out.
template <typename Done> std::string readUntil(int fd, Done done)
{
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!done(got) && std::chrono::steady_clock::now() < deadline) {
        pollfd watched{fd, POLLIN, 0};
        if (poll(&watched, 1, 100) > 0) {
            char buffer[512];
            const ssize_t size = read(fd, buffer, sizeof buffer);
            if (size <= 0) {
                break;
            }
            got.append(buffer, static_cast<std::size_t>(size));
        }
    }
    return got;
}

class SimulatorProcess
{
public:
    explicit SimulatorProcess(std::vector<std::string> arguments)
    {
        int out[2];
        int err[2];
        if (pipe(out) != 0 || pipe(err) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addclose(&actions, err[0]);
        arguments.insert(arguments.begin(), COMRS_SIM_PATH);
        std::vector<char *> argv;
        for (std::string &argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, COMRS_SIM_PATH, &actions, nullptr, argv.data(), environ) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(err[1]);
        m_stdout = out[0];
        m_stderr = err[0];
    }

    ~SimulatorProcess()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        close(m_stdout);
        close(m_stderr);
    }

    bool started() const { return m_pid > 0; }

    /// The "PTY /dev/pts/N" line the simulator prints first.
    std::string firstLine()
    {
        const std::string line = readUntil(
            m_stdout, [](const std::string &got) { return got.find('\n') != std::string::npos; });
        return line.substr(0, line.find('\n'));
    }

    /// Waits until the journal holds the text; returns the journal so far.
    std::string journalUntil(const std::string &text)
    {
        m_journal += readUntil(m_stderr, [&](const std::string &got) {
            return (m_journal + got).find(text) != std::string::npos;
        });
        return m_journal;
    }

    /// Stops it with SIGTERM and returns its exit status, or -1.
    int terminate()
    {
        kill(m_pid, SIGTERM);
        int status = 0;
        const pid_t waited = waitpid(m_pid, &status, 0);
        m_pid = -1;
        return waited > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t m_pid = -1;
    int m_stdout = -1;
    int m_stderr = -1;
    std::string m_journal;
};

int openRawLine(const std::string &path)
{
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd >= 0) {
        termios line{};
        tcgetattr(fd, &line);
        cfmakeraw(&line);
        tcsetattr(fd, TCSANOW, &line);
    }
    return fd;
}

}  // namespace

TEST(SimulatorOnPseudoTerminal, echoesAFrameAndHearsTheAck)
{
    SimulatorProcess simulator({});
    ASSERT_TRUE(simulator.started());
    const std::string announced = simulator.firstLine();
    ASSERT_EQ(announced.rfind("PTY /dev/", 0), 0u) << announced;
    const int fd = openRawLine(announced.substr(4));
    ASSERT_GE(fd, 0);

    const std::string frame = hexBytes("02 41 42 43 03 34 30");
    ASSERT_EQ(write(fd, frame.data(), frame.size()), static_cast<ssize_t>(frame.size()));
    const std::string expected = hexBytes("06 02 41 42 43 03 34 30");
    const std::string answer =
        readUntil(fd, [&](const std::string &got) { return got.size() >= expected.size(); });
    EXPECT_EQ(answer, expected);

    ASSERT_EQ(write(fd, "\x06", 1), 1);
    const std::string journal = simulator.journalUntil("ACK reçu\n");
    EXPECT_NE(journal.find("IN  02 41 42 43 03 34 30  |.ABC.40|"), std::string::npos) << journal;
    EXPECT_NE(journal.find("ACK reçu\n"), std::string::npos) << journal;
    close(fd);
    EXPECT_EQ(simulator.terminate(), 0);
}

TEST(SimulatorOnPseudoTerminal, replacesAStaleLinkAndRemovesItsOwnAtExit)
{
    char directory[] = "/tmp/comrs-sim-test-XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    const std::string link = std::string(directory) + "/line";
    ASSERT_EQ(symlink("/nonexistent", link.c_str()), 0);

    SimulatorProcess simulator({"--link", link, "--no-pacing"});
    ASSERT_TRUE(simulator.started());
    const std::string announced = simulator.firstLine();
    ASSERT_EQ(announced.rfind("PTY ", 0), 0u) << announced;
    char target[256] = {};
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target), announced.substr(4));

    // Talking through the link reaches the same simulator.
    const int fd = openRawLine(link);
    ASSERT_GE(fd, 0);
    const std::string frame = hexBytes("02 56 03 35 36");
    ASSERT_EQ(write(fd, frame.data(), frame.size()), static_cast<ssize_t>(frame.size()));
    EXPECT_EQ(readUntil(fd, [](const std::string &got) { return got.size() >= 6; }),
              hexBytes("06 02 56 03 35 36"));
    close(fd);

    EXPECT_EQ(simulator.terminate(), 0);
    struct stat gone
    {};
    EXPECT_NE(lstat(link.c_str(), &gone), 0);
    rmdir(directory);
}

TEST(SimulatorOnPseudoTerminal, refusesToReplaceAFileThatIsNotALink)
{
    char directory[] = "/tmp/comrs-sim-test-XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    const std::string path = std::string(directory) + "/precious";
    close(open(path.c_str(), O_CREAT | O_WRONLY, 0600));

    SimulatorProcess simulator({"--link", path});
    ASSERT_TRUE(simulator.started());
    EXPECT_EQ(simulator.firstLine(), "");
    EXPECT_EQ(simulator.terminate(), 1);
    struct stat kept
    {};
    EXPECT_EQ(lstat(path.c_str(), &kept), 0);
    EXPECT_TRUE(S_ISREG(kept.st_mode));
    unlink(path.c_str());
    rmdir(directory);
}
