// Whole exchanges and polls against the scripted device: the reply path and its faults.
#include "engine_rig.h"
#include "latin1.h"

#include <gtest/gtest.h>

namespace {

const std::string kAckByte = "\x06";

std::string problem(const std::string &text)
{
    return latin1("Problème RS232: ") + text;
}

class ReplySplits : public ::testing::TestWithParam<std::vector<std::size_t>>
{};

TEST_P(ReplySplits, giveTheSameOutcomeWhereverTheReplyIsCut)
{
    EngineRig rig;
    rig.skipStartUp();
    // The instruction "V" and its reply "OK"; the first piece waits when the 1500 ms wait ends,
    // each further one comes 200 ms after the one before.
    rig.device.answerNext(FakeDevice::inPieces(FakeDevice::goodReply("OK"), GetParam(), 1400, 200));

    rig.gesrs.envoicom("V");

    EXPECT_EQ(rig.port.calls(PortCall::Input), static_cast<int>(GetParam().size()) + 1);
    EXPECT_EQ(rig.port.written(),
              std::string("\x02V\x03"
                          "56") +
                  kAckByte);
    for (const FakeSerialPort::Write &write : rig.port.outputs())
        EXPECT_EQ(write.text.size(), 1u);
    EXPECT_EQ(rig.view.shown, std::vector<std::string>{"OK"});
    EXPECT_EQ(rig.view.RxWin[0], "OK");
    EXPECT_EQ(rig.gesrs.Status, 1);
    EXPECT_FALSE(rig.gesrs.FlagRS232);
    EXPECT_EQ(rig.gesrs.etape_Rs232, 0);
    EXPECT_FALSE(rig.Timer_car.enabled());
    EXPECT_TRUE(rig.view.captions.empty());
}

// Reply bytes: 06 02 4F 4B 03 30 34.
INSTANTIATE_TEST_SUITE_P(Cuts,
                         ReplySplits,
                         ::testing::Values(std::vector<std::size_t>{},
                                           std::vector<std::size_t>{1},  // after the ACK
                                           std::vector<std::size_t>{2},  // after STX
                                           std::vector<std::size_t>{3},  // inside the text
                                           std::vector<std::size_t>{5},  // after ETX
                                           std::vector<std::size_t>{6},  // after the first digit
                                           std::vector<std::size_t>{1, 2, 3, 4, 5, 6}));

TEST(OperatorExchange, showsAReplyStillArrivingAfterThePostSendWaitOnceAndWhole)
{
    EngineRig rig;
    rig.skipStartUp();
    rig.device.answerNext(
        {{100, "\x06\x02HEL"}, {700, "LO"}, {1100, "!\x03" + FakeDevice::digitsFor("HELLO!")}});

    rig.gesrs.envoicom("A12");

    EXPECT_EQ(rig.view.shown, std::vector<std::string>{"HELLO!"});
    EXPECT_EQ(rig.device.acksReceived(), 1);
    EXPECT_EQ(rig.gesrs.Status, 1);
    EXPECT_FALSE(rig.gesrs.FlagRS232);
}

TEST(OperatorExchange, ignoresStaleCharactersAndWhateverFollowsTheReply)
{
    EngineRig rig;
    rig.skipStartUp();
    rig.port.deliver("\x06\x02STALE\x03" + FakeDevice::digitsFor("STALE"));
    rig.device.answerNext(FakeDevice::whole(FakeDevice::goodReply("OK") + "\x06\x02XX", 50));

    rig.gesrs.envoicom("A");

    EXPECT_EQ(rig.view.shown, std::vector<std::string>{"OK"});
    EXPECT_EQ(rig.gesrs.Status, 1);
}

struct FaultCase
{
    const char *name;
    FakeDevice::Answer answer;
    std::string problemText;
};

class ProtocolFaults : public ::testing::TestWithParam<FaultCase>
{};

TEST_P(ProtocolFaults, endTheExchangeWithAReportAndNoAck)
{
    EngineRig rig;
    rig.skipStartUp();
    rig.device.answerNext(GetParam().answer);

    rig.gesrs.envoicom("A");

    EXPECT_EQ(rig.view.captions, std::vector<std::string>{problem(GetParam().problemText)});
    EXPECT_EQ(rig.view.problemCaption, problem(GetParam().problemText));
    EXPECT_TRUE(rig.view.problemVisible);
    EXPECT_EQ(rig.view.beeps, 1);
    EXPECT_TRUE(rig.view.shown.empty());
    EXPECT_EQ(rig.device.acksReceived(), 0);
    EXPECT_EQ(rig.gesrs.Status, 2);
    EXPECT_FALSE(rig.Timer_car.enabled());
    EXPECT_TRUE(rig.Timer_mes.enabled());
}

// "Z0" has the checksum 0x6A: its digits carry a letter.
INSTANTIATE_TEST_SUITE_P(
    Faults,
    ProtocolFaults,
    ::testing::Values(
        FaultCase{"badDigits",
                  FakeDevice::whole("\x06" + FakeDevice::replyFrame("Z0", "6B"), 50),
                  "PB MAUVAIS CHECKSUM"},
        FaultCase{"lowercaseDigits",
                  FakeDevice::whole("\x06" + FakeDevice::replyFrame("Z0", "6a"), 50),
                  "PB MAUVAIS CHECKSUM"},
        FaultCase{
            "noAck", FakeDevice::whole(FakeDevice::replyFrame("Z0", "6A"), 50), "PAS D'ACK RECU"},
        FaultCase{"noStx",
                  FakeDevice::whole("\x06X" + FakeDevice::replyFrame("Z0", "6A"), 50),
                  "PAS DE RECEPTION STX"},
        FaultCase{"noStxInALaterPiece", {{50, "\x06"}, {600, "X"}}, "PAS DE RECEPTION STX"},
        FaultCase{"silence", {}, "ABSENCE DE REPONSE"},
        FaultCase{"cutOffInsideTheText", {{50, "\x06\x02Z"}}, "ABSENCE DE REPONSE"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Poll, returnsInsideTheReplyTextAndTheNextPollCompletesIt)
{
    EngineRig rig;
    rig.skipStartUp();
    rig.gesrs.Status = 1;  // as a finished exchange leaves it
    rig.port.deliver("\x06\x02HE");

    rig.poll();

    EXPECT_EQ(rig.events.calls(), 0) << "the early return skips the end of the pass";
    EXPECT_EQ(rig.gesrs.etape_Rs232, 2);
    EXPECT_TRUE(rig.gesrs.FlagRS232);
    EXPECT_EQ(rig.traitRS.reponse[0], "HE");
    EXPECT_TRUE(rig.Timer_car.enabled());
    EXPECT_TRUE(rig.view.shown.empty());

    rig.port.deliver("LLO\x03" + FakeDevice::digitsFor("HELLO"));
    rig.poll();

    EXPECT_EQ(rig.view.shown, std::vector<std::string>{"HELLO"});
    EXPECT_EQ(rig.port.written(), kAckByte);
    EXPECT_EQ(rig.gesrs.etape_Rs232, 0);
    EXPECT_EQ(rig.gesrs.Status, 1);
    EXPECT_FALSE(rig.Timer_car.enabled());
}

class SilentPoll : public ::testing::TestWithParam<int>
{};

TEST_P(SilentPoll, makesOnePassAndEndsQuietlyWhateverTheLastLineEvent)
{
    EngineRig rig;
    rig.skipStartUp();
    rig.port.setCommEvent(GetParam());
    const std::int64_t attempts = rig.gesrs.nbessai;

    rig.poll();

    EXPECT_EQ(rig.events.calls(), 1);
    EXPECT_EQ(rig.gesrs.Status, 1);
    EXPECT_EQ(rig.gesrs.nbessai, attempts + 1);
    EXPECT_EQ(rig.view.beeps, 0);
    EXPECT_TRUE(rig.view.captions.empty());
}

INSTANTIATE_TEST_SUITE_P(Events, SilentPoll, ::testing::Values(0, 1009));

}  // namespace
