#include "command_line.h"
#include "start_up.h"
#include "window_rig.h"

#include <gtest/gtest.h>

namespace {

TEST(StartUp, argumentTextPresetsPortAndSpeedByExactSubstringsTicksThemAndOpensNoLine)
{
    const std::tuple<const char *, int, bool> cases[] = {
        {"COM3 9600", 3, true},
        {"Com2", 1, false},
        {"COM4 com2", 2, false},
        {"com4 COM3", 3, false},
        {"COM4", 4, false},
        {"com4", 4, false},
        {"baud9600", 1, true},
        {"com29600", 2, true},
    };
    for (const auto &[argumentText, port, speed9600] : cases) {
        SCOPED_TRACE(argumentText);
        WindowRig rig;
        startUp(rig.window, rig.gesrs, argumentText);

        EXPECT_EQ(rig.gesrs.voie_serie_Select, port);
        EXPECT_EQ(rig.gesrs.Select_Vitesse_9600, speed9600);
        EXPECT_EQ(rig.marks(), QString("port%1 SPEED%2").arg(port).arg(speed9600 ? 2 : 1));
        EXPECT_TRUE(rig.port.propertyWrites().empty() && rig.timeline.now() == 0);
    }
}

// Whether the options are refused, and what --trace and --timeout-ms do, is seen by running
// the program: the window's exchange with port options and --trace, the console's sends.
TEST(StartUp, portAndConsoleOptionsTakeTheirValuesOutOfTheArgumentText)
{
    const std::array<std::string, 4> defaults = {
        "/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3"};
    const CommandLine line = parseCommandLine(
        {"COM4", "--port3=/dev/ttyUSB0", "--trace", "--port1=/dev/pts/9600com2", "a  b"}, defaults);
    EXPECT_EQ(line.argumentText, "COM4 a  b");
    EXPECT_EQ(line.devicePaths,
              (std::array<std::string, 4>{
                  "/dev/pts/9600com2", "/dev/ttyS1", "/dev/ttyUSB0", "/dev/ttyS3"}));
    EXPECT_FALSE(parseCommandLine({"com2 --trace"}, defaults).trace);
    EXPECT_NE(parseCommandLine({"--port2="}, defaults).error, "");
    EXPECT_TRUE(parseCommandLine({"com2", "--help"}, defaults).showHelp);

    const CommandLine console = parseCommandLine(
        {"--send", "COM2 9600", "com3", "--send=--help", "--timeout-ms", "900"}, {});
    EXPECT_EQ(console.instructions, (std::vector<std::string>{"COM2 9600", "--help"}));
    EXPECT_EQ(console.argumentText, "com3");
    const CommandLine fromInput = parseCommandLine({"--send=-", "9600"}, {});
    EXPECT_TRUE(fromInput.instructionsFromInput && fromInput.error.empty());

    // A control character would break the frame; the engine would take "WWWW" for a poll. An
    // unknown --word is refused even for the window; a stray word only without it, where the
    // window's free text has no place.
    const std::vector<std::vector<std::string>> mistakes = {{"--send"},
                                                            {"--send", "A", "--timeout-ms", "0"},
                                                            {"--timeout-ms", "5"},
                                                            {"--list-ports", "--send", "A"},
                                                            {"--send", "A\x03"},
                                                            {"--send", "WWWW"},
                                                            {"--send", "-", "--send", "A"},
                                                            {"--PORT2=z"},
                                                            {"--send", "A", "--port5=/dev/ttyUSB0"},
                                                            {"--send", "A", "--timeout", "500"},
                                                            {"--send", "A", "/dev/ttyUSB0"},
                                                            {"--list-ports", "Com2"}};
    for (const auto &arguments : mistakes)
        EXPECT_NE(parseCommandLine(arguments, {}).error, "") << arguments.back();
}

}  // namespace
