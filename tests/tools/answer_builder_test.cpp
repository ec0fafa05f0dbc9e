#include "answer_builder.h"
#include "fault_picker.h"
#include "hex_bytes.h"
#include "protocol_bytes.h"
#include "sim_log.h"

#include <gtest/gtest.h>
#include <set>

using sim::Fault;

namespace {

struct AnswerCase
{
    Fault fault;
    std::string reply;
    std::string bytes;  // hex
    std::string text;   // the text the frame carries
};

class AnswerForFault : public testing::TestWithParam<AnswerCase>
{};

}  // namespace

TEST(Checksum, worksOnTheExamplesOfTheProtocol)
{
    EXPECT_EQ(sim::frameOf("V"), hexBytes("02 56 03 35 36"));
    EXPECT_EQ(sim::frameOf("\\"), hexBytes("02 5C 03 35 43"));
    EXPECT_EQ(sim::frameOf("ABC"), hexBytes("02 41 42 43 03 34 30"));
    EXPECT_EQ(sim::frameOf(""), hexBytes("02 03 30 30"));
    EXPECT_EQ(sim::frameOf("OK"), hexBytes("02 4F 4B 03 30 34"));
}

TEST_P(AnswerForFault, sendsExactlyTheseBytes)
{
    std::mt19937 random(1);
    const sim::Answer answer = sim::buildAnswer(GetParam().reply, GetParam().fault, random, 400);
    EXPECT_EQ(sim::hexAndText(answer.bytes), sim::hexAndText(hexBytes(GetParam().bytes)));
    EXPECT_EQ(answer.text, GetParam().text);
    EXPECT_EQ(answer.strayAfter, GetParam().fault == Fault::Unsolicited);
}

INSTANTIATE_TEST_SUITE_P(
    Faults,
    AnswerForFault,
    testing::Values(AnswerCase{Fault::None, "OK", "06 02 4F 4B 03 30 34", "OK"},
                    AnswerCase{Fault::None, "", "06 02 03 30 30", ""},
                    AnswerCase{Fault::Unsolicited, "OK", "06 02 4F 4B 03 30 34", "OK"},
                    AnswerCase{Fault::BadChecksum, "OK", "06 02 4F 4B 03 30 35", "OK"},
                    AnswerCase{Fault::Lowercase, "\\", "06 02 5C 03 35 63", "\\"},
                    // "04" has no letter to lowercase: a letter joins the text so that one shows.
                    AnswerCase{Fault::Lowercase, "OK", "06 02 4F 4B 48 03 34 63", "OKH"},
                    AnswerCase{Fault::NoAck, "OK", "02 4F 4B 03 30 34", "OK"},
                    AnswerCase{Fault::NotStx, "OK", "06 3F 4F 4B 03 30 34", "OK"},
                    AnswerCase{Fault::Silence, "OK", "", "OK"},
                    AnswerCase{Fault::CutOff, "ABCD", "06 02 41 42", "ABCD"},
                    AnswerCase{Fault::CutOff, "OK", "06 02 4F", "OK"}),
    [](const testing::TestParamInfo<AnswerCase> &info) {
        std::string name(sim::faultName(info.param.fault));
        std::erase(name, '-');
        return name + std::to_string(info.index);
    });

TEST(AnswerBuilder, lowercaseAlwaysFindsALetterDigit)
{
    std::mt19937 random(1);
    for (int code = 0x20; code < 0x7F; ++code) {
        const std::string reply(1, static_cast<char>(code));
        const sim::Answer answer = sim::buildAnswer(reply, Fault::Lowercase, random, 400);
        const std::string digits = answer.bytes.substr(answer.bytes.size() - 2);
        EXPECT_NE(digits, sim::checksumDigits(sim::checksumOf(answer.text))) << reply;
        EXPECT_EQ(digits, sim::checksumDigits(sim::checksumOf(answer.text), true)) << reply;
    }
}

TEST(AnswerBuilder, floodIsSevenBitNeverStartsWithAckAndFollowsTheSeed)
{
    std::mt19937 first(42);
    std::mt19937 second(42);
    for (int round = 0; round < 200; ++round) {
        const std::string flood = sim::buildAnswer("OK", Fault::Flood, first, 400).bytes;
        ASSERT_EQ(flood.size(), 400u);
        EXPECT_NE(flood.front(), sim::kAck);
        EXPECT_TRUE(
            std::all_of(flood.begin(), flood.end(), [](char c) { return (c & 0x80) == 0; }));
        EXPECT_EQ(flood, sim::buildAnswer("OK", Fault::Flood, second, 400).bytes);
    }
}

TEST(FaultPicker, rateOneAlwaysFaultsRateZeroNever)
{
    sim::FaultPicker always({Fault::Silence}, 1.0, 7);
    sim::FaultPicker never({Fault::Silence}, 0.0, 7);
    sim::FaultPicker nothingListed({}, 1.0, 7);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(always.next(), Fault::Silence);
        EXPECT_EQ(never.next(), Fault::None);
        EXPECT_EQ(nothingListed.next(), Fault::None);
    }
}

TEST(FaultPicker, sameSeedSameFaultsAndEveryListedFaultComesUp)
{
    const std::vector<Fault> listed{Fault::NoAck, Fault::Flood, Fault::CutOff};
    sim::FaultPicker first(listed, 0.5, 3);
    sim::FaultPicker second(listed, 0.5, 3);
    std::set<Fault> seen;
    for (int i = 0; i < 200; ++i) {
        const Fault fault = first.next();
        EXPECT_EQ(fault, second.next());
        seen.insert(fault);
    }
    EXPECT_EQ(seen, (std::set<Fault>{Fault::None, Fault::NoAck, Fault::Flood, Fault::CutOff}));
}
