#include "start_up.h"
#include "window_rig.h"

#include <gtest/gtest.h>

namespace {

TEST(Menus, aChoiceClosesTheLineEvenOnTheTickedItemMovesOnlyItsOwnMark)
{
    WindowRig rig;
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
        for (int n = 1; n <= 4; ++n)
            EXPECT_EQ(rig.window.port(n)->isChecked(), n == portChosen) << n;
        for (int n = 1; n <= 2; ++n)
            EXPECT_EQ(rig.window.SPEED(n)->isChecked(), n == speedChosen) << n;
    }
}

}  // namespace
