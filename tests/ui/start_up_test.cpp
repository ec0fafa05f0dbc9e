#include "command_line.h"
#include "start_up.h"
#include "window_rig.h"

#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>

namespace {

TEST(StartUp, argumentTextPresetsPortAndSpeedByExactSubstringsTicksThemAndOpensNoLine)
{
    const std::tuple<const char *, int, bool> cases[] = {
        {"", 1, false},
        {"COM3 9600", 3, true},
        {"Com2", 1, false},
        {"COM4 com2", 2, false},
        {"com4 COM3", 3, false},
        {"COM4", 4, false},
        {"com1", 1, false},
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
        EXPECT_TRUE(rig.window.isVisible());
        EXPECT_EQ(rig.window.centralWidget()->size(), QSize(567, 271));
        EXPECT_TRUE(rig.port.propertyWrites().empty());
        EXPECT_EQ(rig.timeline.now(), 0);
    }
}

TEST(StartUp, portOptionsMapDevicesAndStayOutOfTheArgumentText)
{
    const std::array<std::string, 4> defaults = {
        "/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3"};
    const CommandLine line = parseCommandLine(
        {"COM4", "--port3=/dev/ttyUSB0", "--trace", "--port1=/dev/pts/9600com2", "a  b"}, defaults);
    EXPECT_EQ(line.argumentText, "COM4 a  b");
    EXPECT_EQ(line.devicePaths,
              (std::array<std::string, 4>{
                  "/dev/pts/9600com2", "/dev/ttyS1", "/dev/ttyUSB0", "/dev/ttyS3"}));
    EXPECT_EQ(line.error, "");
    EXPECT_FALSE(line.showHelp);
    EXPECT_TRUE(line.trace);
    EXPECT_FALSE(parseCommandLine({"com2 --trace"}, defaults).trace);
    EXPECT_NE(parseCommandLine({"--port2="}, defaults).error, "");
    EXPECT_TRUE(parseCommandLine({"com2", "--help"}, defaults).showHelp);
}

TEST(StartUp, consoleOptionsTakeTheirValuesOutOfTheArgumentText)
{
    const CommandLine line = parseCommandLine(
        {"--send", "COM2 9600", "com3", "--send=--help", "--timeout-ms", "900"}, {});
    EXPECT_EQ(line.instructions, (std::vector<std::string>{"COM2 9600", "--help"}));
    EXPECT_EQ(line.argumentText, "com3");
    EXPECT_EQ(line.timeoutMs, 900);
    EXPECT_TRUE(line.console);
    EXPECT_FALSE(line.showHelp);
    EXPECT_EQ(line.error, "");
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

TEST(Menus, carryTheirItemsAndAChoiceClosesTheLineEvenOnTheTickedItemMovesOnlyItsOwnMark)
{
    WindowRig rig;
    const QList<QAction *> menus = rig.window.menuBar()->actions();
    ASSERT_EQ(menus.size(), 2);
    EXPECT_EQ(menus[0]->text() + " " + menus[1]->text(), "&Port Série &Vitesse");
    QStringList items;
    for (QAction *item : menus[0]->menu()->actions() + menus[1]->menu()->actions()) {
        items << item->objectName() + " " + item->text();
        EXPECT_TRUE(item->isCheckable() && item->isEnabled() && !item->isChecked());
    }
    EXPECT_EQ(items,
              QString("port1 RS232 COM&1,port2 RS232 COM&2,port3 RS232 COM&3,port4 RS232 COM&4,"
                      "SPEED1 &1200 Bds,SPEED2 &9600 Bds")
                  .split(','));
    startUp(rig.window, rig.gesrs, "");
    // Each item chosen, and whether the line is open at the time.
    // clang-format off
    const std::pair<const char *, bool> choices[] = {{"port3", true}, {"port4", false},
        {"port4", true}, {"SPEED2", true}, {"SPEED2", true}, {"SPEED1", false}, {"port2", true},
        {"SPEED2", false}};
    // clang-format on
    int portChosen = 1;
    int speedChosen = 1;
    for (const auto &[item, lineOpen] : choices) {
        SCOPED_TRACE(item);
        rig.port.setPortOpen(lineOpen);
        const auto writesBefore = rig.port.propertyWrites().size();
        rig.window.findChild<QAction *>(item)->trigger();
        (item[0] == 'p' ? portChosen : speedChosen) = item[std::strlen(item) - 1] - '0';

        EXPECT_FALSE(rig.port.PortOpen());
        EXPECT_EQ(rig.port.propertyWrites().size() - writesBefore, lineOpen ? 1u : 0u);
        EXPECT_EQ(rig.gesrs.voie_serie_Select, portChosen);
        EXPECT_EQ(rig.gesrs.Select_Vitesse_9600, speedChosen == 2);
        EXPECT_EQ(rig.marks(), QString("port%1 SPEED%2").arg(portChosen).arg(speedChosen));
    }
}

}  // namespace
