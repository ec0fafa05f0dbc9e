#include "parmrk_decoder.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

struct DecodeCase
{
    const char *name;
    std::string raw;
    std::string decoded;
    int badCharacters;
    int breaks;
};

class Marks : public testing::TestWithParam<DecodeCase>
{};

TEST_P(Marks, decodeAlikeWhateverTheReadsThatBringThem)
{
    const DecodeCase &c = GetParam();
    // In one read, and in two reads split at every place, marks included.
    for (std::size_t split = 0; split <= c.raw.size(); ++split) {
        ParmrkDecoder decoder;
        std::string out;
        const ParmrkDecoder::Marks first = decoder.decode(c.raw.substr(0, split), out);
        const ParmrkDecoder::Marks second = decoder.decode(c.raw.substr(split), out);
        EXPECT_EQ(out, c.decoded) << "split at " << split;
        EXPECT_EQ(first.badCharacters + second.badCharacters, c.badCharacters) << split;
        EXPECT_EQ(first.breaks + second.breaks, c.breaks) << split;
    }
}

INSTANTIATE_TEST_SUITE_P(
    ParmrkDecoder,
    Marks,
    testing::Values(DecodeCase{"plain",
                               "\x06\x02"
                               "AB\x03"
                               "41",
                               "\x06\x02"
                               "AB\x03"
                               "41",
                               0,
                               0},
                    DecodeCase{"nul", "A\0B"s, "A\0B"s, 0, 0},
                    DecodeCase{"escapedFF", "A\377\377B", "A\377B", 0, 0},
                    DecodeCase{"badCharacter", "A\377\0XB"s, "A?B", 1, 0},
                    DecodeCase{"breakLeavesNoCharacter", "A\377\0\0B"s, "AB", 0, 1},
                    DecodeCase{"badFF", "\377\0\377"s, "?", 1, 0},
                    DecodeCase{"mixed", "\377\377\377\0Z\377\0\0\377\377"s, "\377?\377", 1, 1},
                    DecodeCase{"unknownEscapeKeepsBothBytes", "\377Z", "\377Z", 0, 0}),
    [](const testing::TestParamInfo<DecodeCase> &info) { return info.param.name; });

TEST(ParmrkDecoder, resetForgetsAnUnfinishedMark)
{
    ParmrkDecoder decoder;
    std::string out;
    decoder.decode("A\377"s, out);
    decoder.reset();
    decoder.decode("\0B"s, out);
    EXPECT_EQ(out, "A\0B"s);
}

}  // namespace
