#include "argument_presets.h"
#include "command_line.h"
#include "start_up.h"
#include "window_rig.h"

#include <QAction>
#include <gtest/gtest.h>

namespace {

struct PresetCase
{
    const char *argumentText;
    int port;
    bool speed9600;
};

void PrintTo(const PresetCase &c, std::ostream *out)
{
    *out << '"' << c.argumentText << '"';
}

class Presets : public ::testing::TestWithParam<PresetCase>
{};

TEST_P(Presets, followTheGrammar)
{
    const ArgumentPresets presets = presetsFrom(GetParam().argumentText);
    EXPECT_EQ(presets.port, GetParam().port);
    EXPECT_EQ(presets.speed9600, GetParam().speed9600);
}

INSTANTIATE_TEST_SUITE_P(StartUp,
                         Presets,
                         ::testing::Values(PresetCase{"", 1, false},
                                           PresetCase{"COM3 9600", 3, true},
                                           PresetCase{"Com2", 1, false},
                                           PresetCase{"cOM2", 1, false},
                                           PresetCase{"COM4 com2", 2, false},
                                           PresetCase{"com4 COM3", 3, false},
                                           PresetCase{"com1", 1, false},
                                           PresetCase{"com5", 1, false},
                                           PresetCase{"baud9600", 1, true},
                                           PresetCase{"com29600", 2, true},
                                           PresetCase{"COM4", 4, false},
                                           PresetCase{"960 0", 1, false}));

const std::array<std::string, 4> kDefaults = {
    "/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3"};

struct LineCase
{
    std::vector<std::string> arguments;
    std::string argumentText;
    std::array<std::string, 4> devicePaths;
    bool error;
};

TEST(CommandLine, portOptionsMapDevicesAndStayOutOfTheArgumentText)
{
    const LineCase cases[] = {
        {{"COM3", "--port3=/dev/ttyUSB0", "--port1=/tmp/com2-9600", "9600"},
         "COM3 9600",
         {"/tmp/com2-9600", "/dev/ttyS1", "/dev/ttyUSB0", "/dev/ttyS3"},
         false},
        {{"--port5=x", "--port1", "-port2=y", "a  b", "--PORT1=z"},
         "--port5=x --port1 -port2=y a  b --PORT1=z",
         kDefaults,
         false},
        {{"--port2="}, "", kDefaults, true},
    };
    for (const LineCase &c : cases) {
        const CommandLine line = parseCommandLine(c.arguments, kDefaults);
        EXPECT_EQ(line.argumentText, c.argumentText);
        EXPECT_EQ(line.devicePaths, c.devicePaths) << c.argumentText;
        EXPECT_EQ(!line.error.empty(), c.error) << c.argumentText;
        EXPECT_FALSE(line.showHelp);
    }
    EXPECT_TRUE(parseCommandLine({"com2", "--help"}, kDefaults).showHelp);
}

TEST(CommandLine, aPathHolding9600OrCom2PresetsNothing)
{
    const CommandLine line = parseCommandLine({"--port1=/dev/pts/9600com2"}, kDefaults);
    EXPECT_EQ(presetsFrom(line.argumentText).port, 1);
    EXPECT_FALSE(presetsFrom(line.argumentText).speed9600);
    EXPECT_EQ(line.devicePaths[0], "/dev/pts/9600com2");
}

TEST(StartUp, presetsTicksAndShowsWithoutOpeningTheLine)
{
    WindowRig rig;
    startUp(rig.window, rig.gesrs, "COM3 9600");

    EXPECT_EQ(rig.gesrs.voie_serie_Select, 3);
    EXPECT_TRUE(rig.gesrs.Select_Vitesse_9600);
    for (int n = 1; n <= 4; ++n)
        EXPECT_EQ(rig.window.port(n)->isChecked(), n == 3) << n;
    EXPECT_FALSE(rig.window.SPEED(1)->isChecked());
    EXPECT_TRUE(rig.window.SPEED(2)->isChecked());
    EXPECT_TRUE(rig.window.isVisible());
    EXPECT_EQ(rig.window.centralWidget()->size(), QSize(567, 271));
    EXPECT_TRUE(rig.port.propertyWrites().empty());
    EXPECT_EQ(rig.timeline.now(), 0);
}

}  // namespace
