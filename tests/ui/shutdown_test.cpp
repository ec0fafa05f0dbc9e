// Closing the window in the middle of an exchange ends the real program at once, with nothing
// more sent on the line. The program runs offscreen on a pseudo-terminal; the robot plugin
// plays the operator.
#include "frame.h"
#include "pty_device.h"
#include "robot_program.h"

#include <chrono>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Whether the process has ended within `limit`, looked at without reaping it: the program's
// owner reaps it.
bool endsWithin(pid_t pid, std::chrono::milliseconds limit, siginfo_t &how)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    do {
        how = {};
        if (::waitid(P_PID, static_cast<id_t>(pid), &how, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            how.si_pid == pid)
            return true;
        std::this_thread::sleep_for(5ms);
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

TEST(Shutdown, closingTheWindowDuringAnExchangeEndsTheProgramAtOnceAndSendsNothingMore)
{
    PtyDevice device;
    RobotProgram program(COMRS232_PROGRAM, ROBOT_PLUGIN_PATH, {"--port1=" + device.path()});

    // "\" waits 6000 ms after its frame before it looks at the line.
    program.instruct("\\");
    ASSERT_EQ(device.readFrame(20000), buildFrame("\\"))
        << "the program never sent the instruction";
    // The reply waits unread; had the exchange gone on, it would be confirmed with an ACK.
    device.write(std::string(1, kAck) + buildFrame("FAIT"));
    program.order("close");

    siginfo_t how{};
    ASSERT_TRUE(endsWithin(program.pid(), 4000ms, how)) << "the exchange was not abandoned";
    EXPECT_EQ(how.si_code, CLD_EXITED);
    EXPECT_EQ(how.si_status, 0);
    EXPECT_EQ(device.drain(), "") << "something more was sent";
}

}  // namespace
