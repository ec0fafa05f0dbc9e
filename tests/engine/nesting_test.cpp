// Calls of envoicom made from inside the waits of another.
#include "comm_error.h"
#include "engine_rig.h"

#include <gtest/gtest.h>

namespace {

TEST(Nesting, aPollInsideThePostSendWaitLeavesTheExchangeItsReply)
{
    EngineRig rig;
    rig.skipStartUp();
    rig.device.answerNext(FakeDevice::whole(FakeDevice::goodReply("OK"), 1200));
    std::int16_t statusAfterPoll = -1;
    // Inside the 1500 ms wait of "V", once the watchdog started at sending has run out.
    rig.timeline.at(1000, [&] {
        rig.poll();
        statusAfterPoll = rig.gesrs.Status;
    });

    rig.gesrs.envoicom("V");

    EXPECT_EQ(statusAfterPoll, 1);
    EXPECT_EQ(rig.view.shown, std::vector<std::string>{"OK"});
    EXPECT_EQ(rig.device.acksReceived(), 1);
    EXPECT_TRUE(rig.view.captions.empty());
}

TEST(Nesting, anExchangeInsideTheFirstLongPollEndsItQuietly)
{
    EngineRig rig;  // fresh: Timer_car stuck on, so the first poll runs until an exchange
    rig.device.answerNext(FakeDevice::whole(FakeDevice::goodReply("OK"), 50));
    bool exchangeDone = false;
    rig.timeline.at(300, [&] {
        rig.gesrs.envoicom("A");
        exchangeDone = true;
    });

    rig.poll();

    EXPECT_TRUE(exchangeDone);
    EXPECT_EQ(rig.device.instructions(), std::vector<std::string>{"A"});
    EXPECT_EQ(rig.view.shown, std::vector<std::string>{"OK"});
    EXPECT_EQ(rig.gesrs.Status, 1);
    EXPECT_FALSE(rig.Timer_car.enabled());
    EXPECT_TRUE(rig.view.captions.empty());
}

TEST(Nesting, aFailureInsideANestedExchangeIsHandledThereAndNotByThePoll)
{
    EngineRig rig;
    rig.port.failNext(PortCall::SetPortOpen, 8013);
    rig.timeline.at(300, [&] { rig.gesrs.envoicom("A"); });

    EXPECT_NO_THROW(rig.poll());
    EXPECT_EQ(rig.view.setupBoxes.size(), 1u);
    EXPECT_EQ(rig.gesrs.Status, 1);
}

}  // namespace
