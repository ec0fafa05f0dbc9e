#include "frame_decoder.h"
#include "hex_bytes.h"

#include <gtest/gtest.h>

using sim::DecodedEvent;
using sim::FrameDecoder;

namespace {

using Kind = DecodedEvent::Kind;

// Each event as one word, "frame:ABC:ok", "ack", "stray:junk". Stray groups end where chunks
// end, so neighbouring ones are merged: the grouping of the reads must not change the summary.
std::string summary(const std::vector<DecodedEvent> &events)
{
    std::string text;
    bool afterStray = false;
    for (const DecodedEvent &event : events) {
        if (event.kind == Kind::Stray && afterStray) {
            text += event.raw;
            continue;
        }
        text += text.empty() ? "" : " | ";
        afterStray = event.kind == Kind::Stray;
        switch (event.kind) {
        case Kind::Frame:
            text += "frame:" + event.text + (event.checksumOk ? ":ok" : ":bad");
            break;
        case Kind::Ack:
            text += "ack";
            break;
        case Kind::Stray:
            text += "stray:" + event.raw;
            break;
        }
    }
    return text;
}

struct DecoderCase
{
    const char *name;
    std::string line;
    std::string expected;
};

class FrameDecoderCases : public testing::TestWithParam<DecoderCase>
{};

}  // namespace

TEST_P(FrameDecoderCases, readsTheLineInOneChunk)
{
    FrameDecoder decoder(true);
    EXPECT_EQ(summary(decoder.feed(GetParam().line)), GetParam().expected);
    EXPECT_FALSE(decoder.inFrame());
}

TEST_P(FrameDecoderCases, readsTheSameFramesByteByByte)
{
    FrameDecoder decoder(true);
    std::vector<DecodedEvent> events;
    for (const char c : GetParam().line) {
        for (DecodedEvent &event : decoder.feed(std::string(1, c))) {
            events.push_back(std::move(event));
        }
    }
    EXPECT_EQ(summary(events), GetParam().expected);
}

TEST_P(FrameDecoderCases, readsTheSameFramesWhateverTheCut)
{
    const std::string &line = GetParam().line;
    for (std::size_t cut = 1; cut < line.size(); ++cut) {
        FrameDecoder decoder(true);
        std::vector<DecodedEvent> events = decoder.feed(line.substr(0, cut));
        for (DecodedEvent &event : decoder.feed(line.substr(cut))) {
            events.push_back(std::move(event));
        }
        EXPECT_EQ(summary(events), GetParam().expected) << "cut at " << cut;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Frames,
    FrameDecoderCases,
    testing::Values(
        DecoderCase{"goodFrame", hexBytes("02 41 42 43 03 34 30"), "frame:ABC:ok"},
        DecoderCase{"emptyInstruction", hexBytes("02 03 30 30"), "frame::ok"},
        DecoderCase{"badChecksum", hexBytes("02 41 42 43 03 34 31"), "frame:ABC:bad"},
        DecoderCase{"lowercaseDigitsAreBad", hexBytes("02 5C 03 35 63"), "frame:\\:bad"},
        DecoderCase{
            "garbageBeforeStx", "junk" + hexBytes("02 56 03 35 36"), "stray:junk | frame:V:ok"},
        DecoderCase{
            "toolAckBetweenFrames", hexBytes("06 02 56 03 35 36 06"), "ack | frame:V:ok | ack"},
        DecoderCase{
            "stxAndAckInsideTextAreText", hexBytes("02 41 02 06 03 34 35"), "frame:A\x02\x06:ok"},
        DecoderCase{
            "topBitDroppedAsOnASevenBitLine", hexBytes("02 C1 42 43 03 34 30"), "frame:ABC:ok"},
        DecoderCase{"twoFramesInARow",
                    hexBytes("02 56 03 35 36 02 5C 03 35 43"),
                    "frame:V:ok | frame:\\:ok"}),
    [](const testing::TestParamInfo<DecoderCase> &info) { return info.param.name; });

TEST(FrameDecoder, keepsTheTopBitWhenNotMasking)
{
    FrameDecoder decoder(false);
    const auto events = decoder.feed(hexBytes("02 C1 42 43 03 34 30"));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].text, hexBytes("C1 42 43"));
    EXPECT_FALSE(events[0].checksumOk);
    EXPECT_EQ(events[0].expectedDigits, "C0");
}

TEST(FrameDecoder, abandonedFrameLetsTheNextOneThrough)
{
    FrameDecoder decoder(true);
    EXPECT_TRUE(decoder.feed(hexBytes("02 41 42")).empty());
    EXPECT_TRUE(decoder.inFrame());
    EXPECT_EQ(decoder.abandon(), hexBytes("02 41 42"));
    EXPECT_EQ(summary(decoder.feed(hexBytes("02 56 03 35 36"))), "frame:V:ok");
}
