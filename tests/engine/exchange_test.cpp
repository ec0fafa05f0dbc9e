// Whole exchanges and polls against the scripted device: the reply path, its faults, nesting,
// and the waits.
#include "engine_rig.h"
#include "operator_text.h"

#include <gtest/gtest.h>

namespace {

TEST(OperatorExchange, givesTheSameOutcomeWhereverTheReplyIsCut)
{
    // ACK STX "OK" ETX "04" and more bytes after it, whole, then cut after the ACK, the STX,
    // inside the text, after the ETX, after the first digit, and everywhere.
    const std::vector<std::vector<std::size_t>> splits{
        {}, {1}, {2}, {3}, {5}, {6}, {1, 2, 3, 4, 5, 6}};
    const std::string reply = FakeDevice::goodReply("OK") + "\x06\x02XX";
    for (std::vector<std::size_t> ends : splits) {
        SCOPED_TRACE(::testing::PrintToString(ends));
        ends.push_back(reply.size());
        // The first piece waits when the 1500 ms wait of "V" ends, the others come 200 ms apart.
        FakeDevice::Answer pieces;
        for (std::size_t i = 0, from = 0; i < ends.size(); from = ends[i++])
            pieces.push_back(
                {1400 + 200 * static_cast<int>(i), reply.substr(from, ends[i] - from)});
        EngineRig rig;
        rig.port.deliver(FakeDevice::goodReply("STALE"));  // left over: flushed before sending
        rig.device.answerNext(pieces);

        rig.gesrs.envoicom("V");

        EXPECT_EQ(rig.port.written(), buildFrame("V") + kAck);
        EXPECT_EQ(rig.shown, Texts{"OK"});
        EXPECT_EQ(rig.gesrs.etape_Rs232, 0);
    }
}

TEST(OperatorExchange, endsEachProtocolFaultWithItsReport)
{
    auto z0 = [](const char *digits) { return FakeDevice::replyFrame("Z0", digits); };  // 0x6A
    const std::pair<std::string, FakeDevice::Answer> cases[] = {
        {"PB MAUVAIS CHECKSUM", {{50, "\x06" + z0("A6")}}},
        {"PAS D'ACK RECU", {{50, z0("6A")}}},
        {"PAS DE RECEPTION STX", {{50, "\x06"}, {600, "X"}}},
        {"ABSENCE DE REPONSE", {}},
        {"ABSENCE DE REPONSE", {{50, "\x06\x02Z"}}},
        // A reply without end is dropped once it passes 64 KB, whatever the throttle.
        {latin1("Dépassement du tampon de réception"),
         {{50, "\x06\x02" + std::string(40000, 'A')}, {100, std::string(40000, 'A')}}},
        // Two characters marked bad (high bit), both read as '?', leave the checksum right: the
        // marks refuse it, also when a clean later piece, read at the very next pass, completes
        // the reply (its '?' a real one) and replaces the line event.
        {latin1("Erreur de parité"), {{50, "\x06" + FakeDevice::replyFrame("\xBF\xBFZ0", "6A")}}},
        {latin1("Erreur de parité"),
         {{50, "\x06\x02Z\xBF"}, {401, std::string("?0") + kEtx + "6A"}}},
        // A frame the line never takes, the device not reading.
        {"Tampon de transmission plein", {}}};
    for (const auto &[text, answer] : cases) {
        SCOPED_TRACE(::testing::PrintToString(answer.empty() ? text : answer.back().bytes));
        const bool stalled = text == "Tampon de transmission plein";
        EngineRig rig;
        rig.device.answerNext(answer);
        rig.port.stallOutput(stalled);

        rig.gesrs.envoicom("A");

        // Nothing shown nor confirmed: the fuzzer holds that of every reply.
        EXPECT_EQ(rig.captions, Texts{problem(text)});
    }
}

TEST(OperatorExchange, cutOffInsideTheReplyLeavesNoTailForTheNextPollToShow)
{
    // Cut inside the text and after the ETX: ABSENCE DE REPONSE; the window then empties
    // reponse(0), and the rest that comes later must not pass for a reply: the reception waits
    // for a new STX.
    for (const std::string head : {"\x06\x02HEL", "\x06\x02HELLO\x03"}) {
        SCOPED_TRACE(head);
        const std::string whole = FakeDevice::goodReply("HELLO");
        EngineRig rig;
        rig.device.answerNext({{50, head}, {1400, whole.substr(head.size())}});

        rig.gesrs.envoicom("HELLO");
        rig.traitRS.reponse[0].clear();
        rig.timeline.advance(2000);
        rig.poll();

        EXPECT_EQ(rig.captions,
                  (Texts{problem("ABSENCE DE REPONSE"), problem("PAS DE RECEPTION STX")}));

        // Sent again, cut inside its text, the reply is understood: the poll that meets the cut
        // returns at once, the silence watchdog left running so that an instruction waits for
        // the rest, and the next poll completes it.
        rig.port.deliver(whole.substr(1, 2));
        rig.poll();
        EXPECT_TRUE(rig.Timer_car.enabled());
        rig.port.deliver(whole.substr(3));
        rig.poll();
        EXPECT_EQ(rig.shown, Texts{"HELLO"});  // the tail never, the reply sent again once
        EXPECT_EQ(rig.device.acksReceived(), 1);
        EXPECT_FALSE(rig.Timer_car.enabled());
    }
}

TEST(Nesting, theInnerCallLeavesTheReplyToTheOneWaitingForItAndNothingIsReported)
{
    // A poll inside the 1500 ms wait of "V", once the watchdog started at sending has run out;
    // an exchange inside the first poll, which runs until one comes (Timer_car stuck on).
    const std::tuple<bool, std::int64_t, std::string, std::int64_t, std::string> cases[] = {
        {false, 1200, "V", 1000, "WWWW"}, {true, 50, "WWWW", 300, "A"}};
    for (const auto &[fresh, answerMs, outer, innerAtMs, inner] : cases) {
        SCOPED_TRACE(outer);
        EngineRig rig(fresh);
        rig.answer(FakeDevice::goodReply("OK"), answerMs);
        rig.timeline.at(innerAtMs, [&rig, inner = inner] { rig.gesrs.envoicom(inner); });

        rig.gesrs.envoicom(outer);

        EXPECT_EQ(rig.device.instructions(), Texts{fresh ? "A" : "V"});
        EXPECT_EQ(rig.shown, Texts{"OK"});
        EXPECT_EQ(rig.device.acksReceived(), 1);
        EXPECT_TRUE(rig.captions.empty());
    }
}

// The waits of an exchange, measured on the virtual clock.

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
        SCOPED_TRACE(instruction + (at9600 ? " 9600 " : " 1200 ") + std::to_string(restAfterAckMs));
        EngineRig rig;
        rig.gesrs.Select_Vitesse_9600 = at9600;
        const std::string reply = FakeDevice::goodReply("OK");
        rig.device.answerNext(
            {{20, reply.substr(0, 1)}, {waitMs + restAfterAckMs, reply.substr(1)}});

        rig.gesrs.envoicom(instruction);

        // The count is asked once to flush before sending, then by the first reception pass.
        EXPECT_EQ(rig.port.callTimes(PortCall::InBufferCount).at(1), waitMs);
        EXPECT_EQ(rig.shown, answered ? Texts{"OK"} : Texts{});
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
        EXPECT_EQ(rig.shown, (Texts{"1", "2"}));
    }
}

}  // namespace
