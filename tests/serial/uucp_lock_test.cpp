#include "uucp_lock.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

TEST(UucpLock, aLockHoldsThePortWhileAnotherProcessItNamesRunsOrWhenItCannotBeRead)
{
    char dir[] = "/tmp/comrs-lock-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    const std::string lock = std::string(dir) + "/LCK..ttyS1";
    const std::pair<std::string, bool> contents[] = {
        {"         1\n", true},   // init never ends
        {"2147483647\n", false},  // no such process
        {std::to_string(::getpid()) + "\n", false},
        {"junk\n", false},
    };
    for (const auto &[content, held] : contents) {
        std::ofstream(lock, std::ios::binary) << content;
        EXPECT_EQ(uucpLockHeld("/dev/ttyS1", {dir}), held) << testing::PrintToString(content);
    }
    std::filesystem::remove(lock);
    std::filesystem::create_directory(lock);
    EXPECT_TRUE(uucpLockHeld("/dev/ttyS1", {dir}));
    // A link such as /dev/serial/by-id/... is locked under the name of the device it leads to.
    std::filesystem::create_symlink("/dev/null", std::string(dir) + "/adapter");
    EXPECT_EQ(lockFileName(std::string(dir) + "/adapter"), "LCK..null");
    std::filesystem::remove_all(dir);
}
