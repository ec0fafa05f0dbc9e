// The protocol trace of the real program on standard error.
#include "e2e_rig.h"

namespace {

TEST(Trace, onStandardErrorEachFrameAndWhatTheToolMadeOfItTakeALine)
{
    Simulator device;
    Pipe standardError;
    Program program({"--port1=" + device.device(), "--trace"}, standardError.writeEnd.get());
    standardError.writeEnd = UniqueFd();
    LineReader trace(std::move(standardError.readEnd));

    ASSERT_TRUE(replyShown(program, device, "ABC", "ABC"));
    const std::vector<std::string> expected = {
        "->  02 41 42 43 03 34 30  <STX>ABC<ETX>40  instruction",
        "<-  02 41 42 43 03 34 30  <STX>ABC<ETX>40  checksum juste",
        "->  06  <ACK>  réponse confirmée",
        "==  réponse affichée : ABC",
    };
    std::size_t found = 0;
    // The lines go out before the reply is shown, so they are all there or on their way.
    waitUntil({&trace}, [&] {
        found = 0;
        for (const std::string &line : trace.lines())
            found += found < expected.size() && line.find(expected[found]) != std::string::npos;
        return found == expected.size();
    });
    EXPECT_EQ(found, expected.size()) << testing::PrintToString(trace.lines());
}

}  // namespace
