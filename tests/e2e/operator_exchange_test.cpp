// An operator's instructions through the real program to the simulated device and back.
#include "e2e_rig.h"

namespace {

TEST(OperatorExchange, framesCrossTheLineAsWorkedAndEachGoodReplyIsShownAndConfirmedOnce)
{
    struct Worked
    {
        std::string instruction;
        std::string frame;
    };
    const std::vector<Worked> examples = {
        {"V", "02 56 03 35 36"},
        {"ABC", "02 41 42 43 03 34 30"},
        {"", "02 03 30 30"},
    };
    // It echoes every instruction. The tool reads a reply only after its post-send wait, 1500 ms
    // for "V": the simulator waits long enough for the ACK not to count it late.
    Simulator device({"--ack-timeout", "2500"});
    Program program({"--port1=" + device.device()});

    std::vector<std::string> expected;
    for (const Worked &example : examples) {
        ASSERT_TRUE(replyShown(program, device, example.instruction, example.instruction));
        expected.insert(expected.end(), {example.frame, "06"});
    }
    ASSERT_TRUE(journalHolds(device, "ACK reçu", 3));
    EXPECT_EQ(device.bytesIn(), expected);
    EXPECT_EQ(device.count("ACK inattendu"), 0);
    const auto window = program.state();
    EXPECT_EQ(window.at("RxWin1"), "ABC");
    EXPECT_EQ(window.at("RxWin2"), "V");
}

TEST(OperatorExchange, anInstructionOutsideSevenBitsIsRefusedAndNothingReachesTheLine)
{
    Simulator device;
    Program program({"--port1=" + device.device()});

    program.instruct("réglé");
    ASSERT_TRUE(shows(program, device, "Pb_rs", "Problème RS232: CARACTERE NON TRANSMISSIBLE"));
    // The next instruction goes out alone on a line that saw nothing before it.
    ASSERT_TRUE(replyShown(program, device, "OK", "OK"));
    ASSERT_TRUE(journalHolds(device, "ACK reçu", 1));
    EXPECT_EQ(device.bytesIn(), (std::vector<std::string>{"02 4F 4B 03 30 34", "06"}));
    EXPECT_EQ(repliesShown(program), 1);
}

}  // namespace
