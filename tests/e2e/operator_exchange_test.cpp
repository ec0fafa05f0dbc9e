// An operator's instructions through the real program to the device and back, on the port and
// speed chosen, the protocol trace the program writes of them on standard error, and the window
// closed during one.
#include "e2e_rig.h"

#include <algorithm>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>

namespace {

// COM1 and COM2 echo every instruction; each notes when the tool's end of the line changes speed.
// The speed comes from the command line, COM2 from the menu. Then the window is closed during an
// exchange: the program ends at once, sends nothing more and leaves the line as found, not
// exclusive, which it would stay for every user but root while the device keeps its side open.
TEST(OperatorExchange, framesCrossTheChosenLineAsWorkedAndTracedUntilTheWindowClosesDuringOne)
{
    const std::pair<std::string, std::string> examples[] = {{"ABC", "02 41 42 43 03 34 30"},
                                                            {"", "02 03 30 30"}};
    const std::string at9600 = "la ligne est à 9600 bauds";
    Simulator device;
    Simulator second({"--reply", "DE COM2", "--ack-timeout=1000"});
    Pipe standardError;
    Program program({"--port1=" + device.device(), "--port2=" + second.device(), "9600", "--trace"},
                    standardError.writeEnd.get());
    standardError.writeEnd = UniqueFd();
    LineReader trace(std::move(standardError.readEnd));

    std::vector<std::string> expected;
    for (const auto &[instruction, frame] : examples) {
        ASSERT_TRUE(replyShown(program, device, instruction, instruction));
        expected.insert(expected.end(), {frame, "06"});
    }
    // Closing the line drops output not yet sent: the menu waits for the last ACK to be read.
    ASSERT_TRUE(journalHolds(device, "ACK reçu", 2));
    program.order("menu port2");
    ASSERT_TRUE(replyShown(program, second, "DEUX", "DE COM2"));
    device.journal().drain();
    EXPECT_EQ(device.bytesIn(), expected);
    EXPECT_EQ(device.count(at9600), 1);
    EXPECT_EQ(second.count(at9600), 1);
    EXPECT_EQ(history(program), (std::vector<std::string>{"DE COM2", "", "ABC", ""}));
    // The trace of each frame and what the tool made of it goes out before the reply is shown.
    EXPECT_TRUE(waitUntil({&trace}, [&] {
        return std::ranges::any_of(trace.lines(), [](const std::string &line) {
            return line.find("->  06  <ACK>  réponse confirmée") != std::string::npos;
        });
    })) << testing::PrintToString(trace.lines());

    // "\" waits 6000 ms after its frame before it looks at the line; the device's answer waits
    // unread, and would be confirmed had the exchange gone on.
    ASSERT_TRUE(journalHolds(second, "ACK reçu", 1));
    program.instruct("\\");
    ASSERT_TRUE(journalHolds(second, "OUT 06", 2)) << "the program never sent the instruction";
    program.order("close");
    // How it ended, once it has (it is still reaped by its owner).
    siginfo_t how{};
    for (int waited = 0; how.si_pid != program.pid() && waited < 4000; waited += 20) {
        ::poll(nullptr, 0, 20);
        ::waitid(P_PID, static_cast<id_t>(program.pid()), &how, WEXITED | WNOHANG | WNOWAIT);
    }
    ASSERT_EQ(how.si_pid, program.pid()) << "the exchange was not abandoned";
    EXPECT_EQ(how.si_code, CLD_EXITED);
    EXPECT_EQ(how.si_status, 0);
    ASSERT_TRUE(journalHolds(second, "ACK non reçu", 1));
    EXPECT_EQ(second.bytesIn(),
              (std::vector<std::string>{"02 44 45 55 58 03 30 43", "06", "02 5C 03 35 43"}))
        << "something more was sent";
    const UniqueFd line(::open(second.device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK));
    int exclusive = -1;
    EXPECT_EQ(::ioctl(line.get(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
}

}  // namespace
