// The waits of an exchange, measured on the virtual clock.
#include "engine_rig.h"

#include <gtest/gtest.h>

namespace {

struct PostSendCase
{
    std::string instruction;
    bool at9600;
    int waitMs;
};

class PostSendWait : public ::testing::TestWithParam<PostSendCase>
{};

TEST_P(PostSendWait, looksAtTheLineOnlyWhenItsIntervalHasRunOut)
{
    const PostSendCase &c = GetParam();
    EngineRig rig;
    rig.skipStartUp();
    rig.gesrs.Select_Vitesse_9600 = c.at9600;
    rig.device.answerNext(FakeDevice::whole(FakeDevice::goodReply("OK"), 20));

    rig.gesrs.envoicom(c.instruction);

    const std::int64_t sent = rig.port.outputs().front().time;
    EXPECT_EQ(rig.Time_Wait.intervalsSet().back(), c.waitMs);
    // One count query flushes before sending; the next is the first reception pass.
    EXPECT_EQ(rig.port.calls(PortCall::InBufferCount), 2);
    EXPECT_EQ(rig.port.lastCallTime(PortCall::InBufferCount), sent + c.waitMs);
    EXPECT_EQ(rig.view.shown, std::vector<std::string>{"OK"});
}

INSTANTIATE_TEST_SUITE_P(Intervals,
                         PostSendWait,
                         ::testing::Values(PostSendCase{"V", false, 1500},
                                           PostSendCase{"V", true, 1500},
                                           PostSendCase{"\\", true, 6000},
                                           PostSendCase{"V12", true, 100},
                                           PostSendCase{"V12", false, 400},
                                           PostSendCase{"v", false, 400},
                                           PostSendCase{"\\\\", true, 100}));

struct WatchdogCase
{
    std::string instruction;
    int restAfterAckMs;  // from the pass that read the ACK
    bool answered;
};

class WatchdogAfterAck : public ::testing::TestWithParam<WatchdogCase>
{};

TEST_P(WatchdogAfterAck, allowsThreeSecondsAfterTheAckOfAVInstructionElseHalfASecond)
{
    const WatchdogCase &c = GetParam();
    EngineRig rig;
    rig.skipStartUp();
    // At 1200 baud the ACK, waiting since 50 ms, is read when the 400 ms wait ends.
    rig.device.answerNext(
        {{50, "\x06"},
         {400 + c.restAfterAckMs, FakeDevice::replyFrame("OK", FakeDevice::digitsFor("OK"))}});

    rig.gesrs.envoicom(c.instruction);

    EXPECT_EQ(rig.view.shown.size(), c.answered ? 1u : 0u);
    EXPECT_EQ(rig.gesrs.Status, c.answered ? 1 : 2);
}

INSTANTIATE_TEST_SUITE_P(Delays,
                         WatchdogAfterAck,
                         ::testing::Values(WatchdogCase{"V12", 2900, true},
                                           WatchdogCase{"V12", 3100, false},
                                           WatchdogCase{"A12", 400, true},
                                           WatchdogCase{"A12", 600, false}));

struct SettlingCase
{
    std::int64_t clockAtStartMs;  // where in the minute the program starts
    std::int64_t firstWriteMs;
};

class SettlingWait : public ::testing::TestWithParam<SettlingCase>
{};

TEST_P(SettlingWait, holdsTheFirstInstructionTwoToFourSecondsAndTheNextNotAtAll)
{
    EngineRig rig;
    rig.clock.setOffset(GetParam().clockAtStartMs);
    rig.device.answerNext(FakeDevice::whole(FakeDevice::goodReply("1"), 20));
    rig.device.answerNext(FakeDevice::whole(FakeDevice::goodReply("2"), 20));

    rig.gesrs.envoicom("A");
    EXPECT_EQ(rig.port.outputs().front().time, GetParam().firstWriteMs);

    const std::int64_t secondStart = rig.timeline.now();
    const std::size_t firstFrameEnd = rig.port.outputs().size();
    rig.gesrs.envoicom("B");
    EXPECT_EQ(rig.port.outputs().at(firstFrameEnd).time, secondStart);
    EXPECT_EQ(rig.view.shown, (std::vector<std::string>{"1", "2"}));
}

// An unset remembered second counts as 0, so a start at second 0 sees no first change.
INSTANTIATE_TEST_SUITE_P(StartInTheMinute,
                         SettlingWait,
                         ::testing::Values(SettlingCase{0, 4000},
                                           SettlingCase{500, 3500},
                                           SettlingCase{5000, 3000},
                                           SettlingCase{5998, 2002},
                                           SettlingCase{59500, 2500}));

TEST(SettlingWait, endsEarlyWhenTheReceptionInProgressGoesSilent)
{
    EngineRig rig;
    rig.skipStartUp();
    rig.Timer_car.setInterval(700);
    rig.Timer_car.setEnabled(true);  // a reception still running, 700 ms from silence

    rig.gesrs.envoicom("A");

    EXPECT_EQ(rig.port.outputs().front().time, 700);
}

}  // namespace
