#include "start_up.h"
#include "window_rig.h"

#include <QAction>
#include <gtest/gtest.h>

namespace {

class Menus : public ::testing::Test
{
protected:
    WindowRig rig;

    void SetUp() override { startUp(rig.window, rig.gesrs, ""); }

    std::vector<int> tickedPorts() const
    {
        std::vector<int> ticked;
        for (int n = 1; n <= 4; ++n) {
            if (rig.window.port(n)->isChecked())
                ticked.push_back(n);
        }
        return ticked;
    }
    std::vector<int> tickedSpeeds() const
    {
        std::vector<int> ticked;
        for (int n = 1; n <= 2; ++n) {
            if (rig.window.SPEED(n)->isChecked())
                ticked.push_back(n);
        }
        return ticked;
    }
    int closes() const
    {
        const auto &writes = rig.port.propertyWrites();
        return static_cast<int>(std::count(writes.begin(), writes.end(), "PortOpen=False"));
    }
};

struct PortChoice
{
    bool lineOpen;
    int chosen;
};

TEST_F(Menus, aPortChoiceClosesTheLineRecordsThePortAndMovesOnlyThePortMark)
{
    const PortChoice choices[] = {{true, 3}, {false, 4}, {true, 4}, {true, 1}, {false, 2}};
    for (const PortChoice &choice : choices) {
        if (choice.lineOpen && !rig.port.PortOpen())
            rig.port.setPortOpen(true);
        const int closesBefore = closes();
        rig.window.port(choice.chosen)->trigger();

        EXPECT_FALSE(rig.port.PortOpen());
        EXPECT_EQ(closes() - closesBefore, choice.lineOpen ? 1 : 0);
        EXPECT_EQ(rig.gesrs.voie_serie_Select, choice.chosen);
        EXPECT_EQ(tickedPorts(), std::vector<int>{choice.chosen});
        EXPECT_EQ(tickedSpeeds(), std::vector<int>{1});
        EXPECT_FALSE(rig.gesrs.Select_Vitesse_9600);
    }
}

TEST_F(Menus, aSpeedChoiceClosesTheLineRecordsTheSpeedAndMovesOnlyTheSpeedMark)
{
    rig.window.port(2)->trigger();
    const PortChoice choices[] = {{true, 2}, {false, 1}, {true, 1}, {false, 2}, {false, 2}};
    for (const PortChoice &choice : choices) {
        if (choice.lineOpen && !rig.port.PortOpen())
            rig.port.setPortOpen(true);
        const int closesBefore = closes();
        rig.window.SPEED(choice.chosen)->trigger();

        EXPECT_FALSE(rig.port.PortOpen());
        EXPECT_EQ(closes() - closesBefore, choice.lineOpen ? 1 : 0);
        EXPECT_EQ(rig.gesrs.Select_Vitesse_9600, choice.chosen == 2);
        EXPECT_EQ(tickedSpeeds(), std::vector<int>{choice.chosen});
        EXPECT_EQ(tickedPorts(), std::vector<int>{2});
        EXPECT_EQ(rig.gesrs.voie_serie_Select, 2);
    }
}

TEST_F(Menus, theNextInstructionOpensTheChosenPortAtTheChosenSpeed)
{
    rig.window.port(3)->trigger();
    rig.window.SPEED(2)->trigger();
    rig.device.answerNext(FakeDevice::whole(FakeDevice::goodReply("OK"), 50));
    rig.typeAt(50, QStringLiteral("X\r"));
    rig.runUntil(6000);

    const auto &writes = rig.port.propertyWrites();
    EXPECT_NE(std::find(writes.begin(), writes.end(), "CommPort=3"), writes.end());
    EXPECT_NE(std::find(writes.begin(), writes.end(), "Settings=9600,e,7,1"), writes.end());
    EXPECT_TRUE(rig.port.PortOpen());
}

}  // namespace
