// The waits of an exchange, measured on the virtual clock.
#include "engine_rig.h"

#include <gtest/gtest.h>

namespace {

TEST(ExchangeWaits, lookAtTheLineWhenThePostSendWaitEndsThenAllowTheReplyItsSilence)
{
    // The instruction, at 9600 baud or not, the post-send wait, when the rest of the reply comes
    // after its ACK (that ACK waiting since 20 ms, read when the wait ends), and whether it is
    // shown: the silence allowed is three seconds after the ACK of a V instruction, else half one.
    // clang-format off
    const std::tuple<std::string, bool, std::int64_t, int, bool> cases[] = {
        {"V", false, 1500, 0, true}, {"V", true, 1500, 0, true}, {"\\", true, 6000, 0, true},
        {"V12", true, 100, 0, true}, {"v", false, 400, 0, true}, {"\\\\", true, 100, 0, true},
        {"V12", false, 400, 2900, true}, {"V12", false, 400, 3100, false},
        {"A12", false, 400, 400, true}, {"A12", false, 400, 600, false}};
    // clang-format on
    for (const auto &[instruction, at9600, waitMs, restAfterAckMs, answered] : cases) {
        SCOPED_TRACE(instruction + (at9600 ? " at 9600 " : " at 1200 ") +
                     std::to_string(restAfterAckMs));
        EngineRig rig;
        rig.gesrs.Select_Vitesse_9600 = at9600;
        const std::string reply = FakeDevice::goodReply("OK");
        rig.device.answerNext(
            {{20, reply.substr(0, 1)}, {waitMs + restAfterAckMs, reply.substr(1)}});

        rig.gesrs.envoicom(instruction);

        // The count is asked once to flush before sending, then by the first reception pass.
        EXPECT_EQ(rig.port.callTimes(PortCall::InBufferCount).at(1), waitMs);
        EXPECT_EQ(rig.view.shown, answered ? Texts{"OK"} : Texts{});
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
        rig.clockOffsetMs = clockAtStartMs;
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
