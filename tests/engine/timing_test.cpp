// The waits of an exchange, measured on the virtual clock.
#include "engine_rig.h"

#include <gtest/gtest.h>

namespace {

TEST(PostSendWait, looksAtTheLineOnlyWhenItsIntervalHasRunOut)
{
    // clang-format off
    const std::tuple<std::string, bool, std::int64_t> cases[] = {
        {"V", false, 1500}, {"V", true, 1500}, {"\\", true, 6000}, {"V12", true, 100},
        {"V12", false, 400}, {"v", false, 400}, {"\\\\", true, 100}};
    // clang-format on
    for (const auto &[instruction, at9600, waitMs] : cases) {
        SCOPED_TRACE(instruction + (at9600 ? " at 9600" : " at 1200"));
        EngineRig rig;
        rig.gesrs.Select_Vitesse_9600 = at9600;
        rig.answer(FakeDevice::goodReply("OK"), 20);

        rig.gesrs.envoicom(instruction);

        // The count is asked once to flush before sending, then by the first reception pass.
        EXPECT_EQ(rig.port.callTimes(PortCall::InBufferCount),
                  (std::vector<std::int64_t>{0, waitMs}));
        EXPECT_EQ(rig.view.shown, Texts{"OK"});
    }
}

TEST(SilenceWatchdog, allowsThreeSecondsAfterTheAckOfAVInstructionElseHalfASecond)
{
    const std::tuple<std::string, int, bool> cases[] = {
        {"V12", 2900, true}, {"V12", 3100, false}, {"A12", 400, true}, {"A12", 600, false}};
    for (const auto &[instruction, restAfterAckMs, answered] : cases) {
        SCOPED_TRACE(instruction + " " + std::to_string(restAfterAckMs));
        EngineRig rig;
        // At 1200 baud the ACK, waiting since 50 ms, is read when the 400 ms wait ends.
        const std::string rest = FakeDevice::goodReply("OK").substr(1);
        rig.device.answerNext({{50, "\x06"}, {400 + restAfterAckMs, rest}});

        rig.gesrs.envoicom(instruction);

        EXPECT_EQ(rig.view.shown.size(), answered ? 1u : 0u);
    }
}

TEST(SettlingWait, holdsTheFirstInstructionUntilSilenceOrTwoToFourSecondsAndTheNextNotAtAll)
{
    // Where in the minute the program starts, when a reception still running goes silent (0:
    // none), and when the first frame goes out. An unset remembered second counts as 0, so a
    // start at second 0 sees no first change.
    // clang-format off
    const std::tuple<std::int64_t, int, std::int64_t> cases[] = {
        {0, 0, 4000}, {500, 0, 3500}, {5000, 0, 3000}, {5998, 0, 2002}, {59500, 0, 2500},
        {0, 700, 700}};
    // clang-format on
    for (const auto &[clockAtStartMs, silentAtMs, firstFrameMs] : cases) {
        SCOPED_TRACE(clockAtStartMs);
        EngineRig rig(true);
        rig.clock.offsetMs = clockAtStartMs;
        rig.Timer_car.setInterval(silentAtMs);
        rig.answer(FakeDevice::goodReply("1"), 20);
        rig.answer(FakeDevice::goodReply("2"), 20);

        rig.gesrs.envoicom("A");
        EXPECT_EQ(rig.port.callTimes(PortCall::Output).front(), firstFrameMs);
        const std::int64_t secondStart = rig.timeline.now();
        rig.gesrs.envoicom("B");
        EXPECT_EQ(rig.port.callTimes(PortCall::Output).at(6), secondStart);
        EXPECT_EQ(rig.view.shown, (Texts{"1", "2"}));
    }
}

}  // namespace
