#include "child_process.h"
#include "line_bytes.h"
#include "line_reader.h"
#include "sim_line.h"
#include "temp_dir.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(SimulatorOnPseudoTerminal, echoesAFrameOnARawLineAndLinksItsPathOnlyWhileItRuns)
{
    const TempDir directory;
    const fs::path link = directory / "line", precious = directory / "precious";
    fs::create_symlink("/nonexistent", link);  // as a killed run leaves it
    close(open(precious.c_str(), O_CREAT | O_WRONLY, 0600));
    EXPECT_ANY_THROW(sim::LineLink(precious, "/dev/null"));

    Pipe out;
    ChildProcess simulator(COMRS_SIM_PATH,
                           {{"--exit-after-idle=30", "--link", link.string()},
                            {},
                            {{out.writeEnd.get(), 1}, {out.writeEnd.get(), 2}}});
    out.writeEnd = UniqueFd();
    LineReader said(std::move(out.readEnd));
    ASSERT_TRUE(waitUntil({&said}, [&] { return !said.lines().empty(); }));
    const std::string path = said.lines()[0].substr(4);
    EXPECT_EQ(fs::read_symlink(link), path);

    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);  // the simulator keeps it raw
    const std::string answer = lineBytes("^[ABC]40");
    EXPECT_EQ(write(fd, lineBytes("[ABC]40").data(), 7), 7);
    std::string got(answer.size(), '\0');
    pollfd watched{fd, POLLIN, 0};
    for (std::size_t at = 0; at < got.size() && poll(&watched, 1, 20'000) > 0;)
        at += static_cast<std::size_t>(std::max<ssize_t>(read(fd, &got[at], got.size() - at), 0));
    EXPECT_EQ(got, answer);

    kill(simulator.pid(), SIGTERM);
    EXPECT_EQ(simulator.wait(), 0);  // a clean exit with 0, not death by the signal
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    EXPECT_TRUE(fs::is_regular_file(precious));
    close(fd);
}
