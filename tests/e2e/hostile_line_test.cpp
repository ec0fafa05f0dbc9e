// The real program against a line that misbehaves for longer: a flood, instructions far too
// long for a frame, a restart by an unprivileged user, a lock left by a process that ended.
#include "e2e_rig.h"
#include "process_cpu.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

// A random flood at 9600 baud that never ends: the window keeps answering the keyboard at once,
// and the program neither works hard nor grows. COMRS_FLOOD_SECONDS makes it longer.
TEST(HostileLine, aFloodLeavesTheWindowQuickCalmAndLean)
{
    const char *asked = std::getenv("COMRS_FLOOD_SECONDS");
    const int seconds = asked ? std::atoi(asked) : 3;
    Simulator device({"--baud", "9600", "--fault", "flood", "--flood-size", "1000000"});
    Program program({"--port1=" + device.device(), "9600"});
    program.instruct("X");
    ASSERT_TRUE(journalHolds(device, "OUT", 1));
    std::this_thread::sleep_for(500ms);

    const long rssBefore = residentKb(program.pid());
    const double cpuBefore = cpuMilliseconds(program.pid());
    const auto start = std::chrono::steady_clock::now();
    long long slowestKeyNs = 0;
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(seconds)) {
        const std::size_t since = program.reports().size();
        const long long typed = monotonicNanoseconds();
        program.order("type k");
        const auto shown = program.waitFor("TxWin", std::nullopt, since, {&device.journal()});
        ASSERT_TRUE(shown) << "a key typed was never shown";
        slowestKeyNs = std::max(slowestKeyNs, shown->nanoseconds - typed);
        waitUntil(
            {&device.journal()}, [] { return false; }, 200ms);
    }
    const double elapsedMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const double cpuPct = (cpuMilliseconds(program.pid()) - cpuBefore) * 100.0 / elapsedMs;
    const double rssGrowthPct =
        100.0 * static_cast<double>(residentKb(program.pid()) - rssBefore) / rssBefore;
    std::cout << "flood_seconds=" << seconds << " flood_cpu_pct=" << cpuPct
              << " key_latency_max_ms=" << slowestKeyNs / 1e6
              << " flood_rss_growth_pct=" << rssGrowthPct << std::endl;
    EXPECT_LT(slowestKeyNs, 100'000'000);
    EXPECT_LT(cpuPct, 5.0);
    EXPECT_LT(rssGrowthPct, 5.0);
}

// A lock file whose process has ended is no one's: the program takes the line. Then an
// instruction far longer than any frame the line takes: refused with a clear text, nothing sent,
// and the window answers at once all along.
TEST(HostileLine, aStaleLockIsTakenOverAndAnInstructionFarTooLongIsRefusedWithoutFreezing)
{
    Simulator device;
    const std::string lock = lockFilePath(device.device());
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    if (!lock.empty())
        std::ofstream(lock) << std::setw(10) << gone << "\n";
    Program program({"--port1=" + device.device()});
    ASSERT_TRUE(replyShown(program, device, "AVANT", "AVANT"));
    EXPECT_EQ(reportsOf(program, "box"), 0);
    ::unlink(lock.c_str());
    ASSERT_TRUE(journalHolds(device, "ACK reçu", 1));

    for (const std::size_t length : {std::size_t{10'000}, std::size_t{100'000}}) {
        SCOPED_TRACE(length);
        // Another refusal first, so that the caption changes again.
        std::size_t since = program.reports().size();
        program.instruct("é");
        ASSERT_TRUE(reported(program, "Pb_rs", "CARACTERE NON TRANSMISSIBLE", since));
        since = program.reports().size();
        program.order("clear");
        program.order("paste " + std::string(length, 'A'));
        program.order("enter");
        const auto asked = std::chrono::steady_clock::now();
        EXPECT_EQ(history(program)[0], "AVANT");
        EXPECT_LT(std::chrono::steady_clock::now() - asked, 1s) << "the window was frozen";
        EXPECT_TRUE(reported(program, "Pb_rs", "Tampon de transmission plein", since));
    }
    device.journal().drain();
    EXPECT_EQ(device.count("IN "), 2);  // the frame of AVANT and its ACK, nothing more
}

// The program leaves the line as it found it: a second start by the same unprivileged user
// opens it again.
TEST(HostileLine, anUnprivilegedUserReopensTheLineAfterClosingTheWindow)
{
    if (!canRunAsNobody())
        GTEST_SKIP() << "needs root, setpriv and a build that the user nobody may read";
    Simulator device;
    ::chmod(device.device().c_str(), 0666);
    for (const std::string instruction : {"PREMIER", "SECOND"}) {
        SCOPED_TRACE(instruction);
        Program program({"--port1=" + device.device()}, RunAs::Nobody);
        ASSERT_TRUE(replyShown(program, device, instruction, instruction));
        EXPECT_EQ(reportsOf(program, "box"), 0);
        ASSERT_TRUE(journalHolds(device, "ACK reçu", instruction == "PREMIER" ? 1 : 2));
        program.order("close");
        EXPECT_TRUE(endsWithin(program.pid(), 5000));
    }
}

}  // namespace
