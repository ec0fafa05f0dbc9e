#include "uucp_lock.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class UucpLock : public testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/comrs-lock-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    void writeLock(const std::string &content)
    {
        std::ofstream(m_dir + "/LCK..ttyS1", std::ios::binary) << content;
    }
    bool held() { return uucpLockHeld("/dev/ttyS1", {m_dir}); }

    std::string m_dir;
};

pid_t endedProcess()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST_F(UucpLock, aRunningOwnerHoldsThePort)
{
    EXPECT_FALSE(held());
    writeLock("         1\n");  // init never ends
    EXPECT_TRUE(held());
}

TEST_F(UucpLock, oldBinaryLocksAreUnderstood)
{
    const int init = 1;
    writeLock(std::string(reinterpret_cast<const char *>(&init), sizeof init));
    EXPECT_TRUE(held());
}

TEST_F(UucpLock, staleOrOwnOrMeaninglessLocksDoNotHoldIt)
{
    writeLock(std::to_string(endedProcess()) + "\n");
    EXPECT_FALSE(held());
    writeLock(std::to_string(::getpid()) + "\n");
    EXPECT_FALSE(held());
    writeLock("junk\n");
    EXPECT_FALSE(held());
}

TEST_F(UucpLock, aLockThatCannotBeReadIsHonoured)
{
    ASSERT_EQ(::mkdir((m_dir + "/LCK..ttyS1").c_str(), 0700), 0);
    EXPECT_TRUE(held());
}

TEST_F(UucpLock, isNamedAfterTheDeviceALinkLeadsTo)
{
    const std::string link = m_dir + "/usb-adapter-port0";
    ASSERT_EQ(::symlink("/dev/null", link.c_str()), 0);
    EXPECT_EQ(lockFileName(link), "LCK..null");
    EXPECT_EQ(lockFileName("/dev/ttyUSB7"), "LCK..ttyUSB7");
}

}  // namespace
