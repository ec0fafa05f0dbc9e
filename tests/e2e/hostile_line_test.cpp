// The real program against a line that misbehaves for longer: a flood, then an instruction far
// too long for a frame.
#include "e2e_rig.h"
#include "process_cpu.h"

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <thread>

namespace {

using namespace std::chrono_literals;

// A random flood at 9600 baud that never ends: the window keeps answering the keyboard at once,
// and the program neither works hard nor grows. COMRS_FLOOD_SECONDS makes it longer. Then an
// instruction far longer than any frame the line takes: refused with a clear text, nothing sent,
// and the window answers at once.
TEST(HostileLine, aFloodAndAnInstructionFarTooLongLeaveTheWindowQuickCalmAndLean)
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

    device.journal().drain();
    const int framesIn = device.count("IN ");
    const std::size_t since = program.reports().size();
    program.order("clear");
    program.order("paste " + std::string(100'000, 'A'));
    program.order("enter");
    const auto entered = std::chrono::steady_clock::now();
    EXPECT_FALSE(program.state().empty());
    EXPECT_LT(std::chrono::steady_clock::now() - entered, 1s) << "the window was frozen";
    EXPECT_TRUE(reported(program, "Pb_rs", "Tampon de transmission plein", since));
    device.journal().drain();
    EXPECT_EQ(device.count("IN "), framesIn);
}

}  // namespace
