#include "line_bytes.h"
#include "sim_line.h"
#include "temp_dir.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

// Reads until `want` has come, or nothing more for a generous while: the machine may be loaded.
static std::string readUntil(int fd, const std::string &want, std::string got = {})
{
    pollfd watched{fd, POLLIN, 0};
    char buffer[512];
    ssize_t size = 1;
    while (got.find(want) == std::string::npos && size > 0 && poll(&watched, 1, 20'000) > 0) {
        size = read(fd, buffer, sizeof buffer);
        got.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(size, 0)));
    }
    return got;
}

TEST(SimulatorOnPseudoTerminal, echoesAFrameHearsTheAckAndLinksItsPathOnlyWhileItRuns)
{
    const TempDir directory;
    const fs::path link = directory / "line", precious = directory / "precious";
    fs::create_symlink("/nonexistent", link);  // as a killed run leaves it
    close(open(precious.c_str(), O_CREAT | O_WRONLY, 0600));
    EXPECT_ANY_THROW(sim::LineLink(precious, "/dev/null"));

    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(out[1], STDERR_FILENO);
        execl(COMRS_SIM_PATH, "sim", "--exit-after-idle=30", "--link", link.c_str(), nullptr);
        _exit(127);
    }
    close(out[1]);
    std::string output = readUntil(out[0], "\n");
    ASSERT_EQ(output.rfind("PTY /dev/", 0), 0u) << output;
    const std::string path = output.substr(4, output.find('\n') - 4);
    EXPECT_EQ(fs::read_symlink(link), path);

    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);  // the simulator keeps it raw
    const std::string answer = lineBytes("^[ABC]40");
    EXPECT_EQ(write(fd, lineBytes("[ABC]40").data(), 7), 7);
    EXPECT_EQ(readUntil(fd, answer), answer);
    EXPECT_EQ(write(fd, "\x06", 1), 1);
    output = readUntil(out[0], "ACK reçu\n");
    EXPECT_NE(output.find("ACK reçu\n"), std::string::npos) << output;

    kill(pid, SIGTERM);
    int status = -1;
    waitpid(pid, &status, 0);
    EXPECT_EQ(status, 0);  // a clean exit with 0, not death by the signal
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    EXPECT_TRUE(fs::is_regular_file(precious));
    close(fd);
    close(out[0]);
}
