#include "temp_dir.h"
#include "uucp_lock.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Every user may write in the lock directory, and other programs read and write the same files.
TEST(UucpLock, isTakenOverOnlyFromAProcessThatEndedAnOddFileMeansBusyAndEveryDirectoryCounts)
{
    TempDir dir;
    const std::string lock = dir / "LCK..ttyS1";
    const auto plant = [&](const std::string &content) { std::ofstream(lock) << content; };
    char pidLine[16];
    std::snprintf(pidLine, sizeof pidLine, "%10d\n", static_cast<int>(::getpid()));
    enum Outcome { Busy, Taken, AlreadyOurs };
    const std::tuple<const char *, std::function<void()>, Outcome> cases[] = {
        {"init never ends", [&] { plant("         1\n"); }, Busy},
        {"no such process", [&] { plant("2147483647\n"); }, Taken},
        {"junk", [&] { plant("junk\n"); }, Taken},
        {"being written", [&] { plant(""); }, Busy},
        {"empty for long",
         [&] {
             plant("");
             fs::last_write_time(lock, fs::file_time_type::clock::now() - std::chrono::minutes(1));
         },
         Taken},
        {"this process", [&] { plant(pidLine); }, AlreadyOurs},
        // The lock directory is writable by every user: what is planted there must neither
        // stall the program nor be followed.
        {"FIFO", [&] { ASSERT_EQ(::mkfifo(lock.c_str(), 0666), 0); }, Busy},
        {"link", [&] { fs::create_symlink("/dev/null", lock); }, Busy},
        {"oversized", [&] { plant("2147483647\n" + std::string(200, ' ')); }, Busy},
    };
    for (const auto &[name, planting, outcome] : cases) {
        SCOPED_TRACE(name);
        fs::remove_all(lock);
        planting();
        const std::optional<std::string> taken = takeUucpLock("/dev/ttyS1", {dir.path()});
        EXPECT_EQ(!taken ? Busy : taken->empty() ? AlreadyOurs : Taken, outcome);
        if (outcome == Taken && taken == lock) {
            std::ifstream made(lock);
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(made), {}), pidLine);
            releaseUucpLock(*taken);
            EXPECT_FALSE(fs::exists(lock));
        }
    }
    fs::remove_all(lock);
    EXPECT_TRUE(fs::is_empty(dir.path())) << "a temporary file was left";

    // Every directory is looked at, and the first writable one takes the lock.
    const std::string missing = dir / "missing";
    const std::string other = dir / "other";
    EXPECT_EQ(takeUucpLock("/dev/ttyS1", {missing}), "") << "no lock directory is no failure";
    EXPECT_EQ(takeUucpLock("/dev/ttyS1", {missing, dir.path()}), lock);
    fs::remove(lock);
    fs::create_directory(other);
    std::ofstream(other + "/LCK..ttyS1") << "         1\n";
    EXPECT_EQ(takeUucpLock("/dev/ttyS1", {dir.path(), other}), std::nullopt);
    EXPECT_FALSE(fs::exists(lock));
}

}  // namespace
