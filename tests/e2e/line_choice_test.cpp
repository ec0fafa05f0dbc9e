// The port and speed the operator picks, on the command line or in the menus, are the line the
// next instruction really uses.
#include "e2e_rig.h"

namespace {

// The simulator runs at 1200 baud and notes when the tool's end of the line changes speed.
TEST(LineChoice, theSpeedOfTheCommandLineAndAPortChosenInTheMenuCarryTheNextInstruction)
{
    const std::string at9600 = "la ligne est à 9600 bauds";
    Simulator first({"--reply", "DE COM1"});
    Simulator second({"--reply", "DE COM2"});
    Program program({"--port1=" + first.device(), "--port2=" + second.device(), "9600"});

    ASSERT_TRUE(replyShown(program, first, "UN", "DE COM1"));
    EXPECT_EQ(first.count(at9600), 1);
    EXPECT_EQ(program.state().at("marks"), "port1 SPEED2");
    program.order("menu port2");
    EXPECT_EQ(program.state().at("marks"), "port2 SPEED2");
    ASSERT_TRUE(replyShown(program, second, "DEUX", "DE COM2"));

    ASSERT_TRUE(journalHolds(second, "ACK reçu", 1));
    first.journal().drain();
    EXPECT_EQ(first.count("trame reçue"), 1);
    EXPECT_EQ(first.count("trame reçue \"UN\""), 1);
    EXPECT_EQ(second.count("trame reçue"), 1);
    EXPECT_EQ(second.count("trame reçue \"DEUX\""), 1);
    EXPECT_EQ(second.count(at9600), 1);
}

}  // namespace
