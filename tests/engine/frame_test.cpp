#include "frame.h"

#include <gtest/gtest.h>

namespace {

std::string bytes(std::initializer_list<int> codes)
{
    std::string out;
    for (const int code : codes)
        out += static_cast<char>(code);
    return out;
}

struct FrameCase
{
    std::string text;
    std::uint8_t checksum;
    std::string line;
};

class FrameExamples : public ::testing::TestWithParam<FrameCase>
{};

TEST_P(FrameExamples, checksumAndLineBytesAreExact)
{
    const FrameCase &c = GetParam();
    EXPECT_EQ(frameChecksum(c.text), c.checksum);
    EXPECT_EQ(buildFrame(c.text), c.line);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples,
    FrameExamples,
    ::testing::Values(FrameCase{"V", 0x56, bytes({0x02, 0x56, 0x03, 0x35, 0x36})},
                      FrameCase{"\\", 0x5C, bytes({0x02, 0x5C, 0x03, 0x35, 0x43})},
                      FrameCase{"ABC", 0x40, bytes({0x02, 0x41, 0x42, 0x43, 0x03, 0x34, 0x30})},
                      FrameCase{"", 0x00, bytes({0x02, 0x03, 0x30, 0x30})},
                      // A checksum below 16 keeps its leading zero and an uppercase letter.
                      FrameCase{"AK", 0x0A, bytes({0x02, 0x41, 0x4B, 0x03, 0x30, 0x41})},
                      // Bytes above 127 count with all eight bits.
                      FrameCase{"\xE9", 0xE9, bytes({0x02, 0xE9, 0x03, 0x45, 0x39})}));

struct DigitsCase
{
    std::uint8_t checksum;
    std::string high;
    char low;
    bool match;
};

class ReplyDigits : public ::testing::TestWithParam<DigitsCase>
{};

TEST_P(ReplyDigits, matchOnlyTheExactUppercaseDigitsInOrder)
{
    const DigitsCase &c = GetParam();
    EXPECT_EQ(replyDigitsMatch(c.checksum, c.high, c.low), c.match);
}

INSTANTIATE_TEST_SUITE_P(Cases,
                         ReplyDigits,
                         ::testing::Values(DigitsCase{0x6A, "6", 'A', true},
                                           DigitsCase{0x6A, "6", 'a', false},
                                           DigitsCase{0x6A, "A", '6', false},
                                           DigitsCase{0x0A, "0", 'A', true},
                                           DigitsCase{0x0A, "", 'A', false},
                                           DigitsCase{0xFF, "F", 'F', true}));

}  // namespace
