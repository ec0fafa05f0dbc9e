#include "parmrk_decoder.h"

#include <gtest/gtest.h>
#include <tuple>

using namespace std::string_literals;

TEST(ParmrkDecoder, marksDecodeAlikeInOneReadOrSplitAnywhereInTwo)
{
    // Raw bytes, what they read as, bad characters, breaks.
    const std::tuple<std::string, std::string, int, int> cases[] = {
        {"A\377\377B", "A\377B", 0, 0},
        {"A\377\0XB"s, "A?B", 1, 0},
        {"A\377\0\0B"s, "AB", 0, 1},
        {"\377\0\377"s, "?", 1, 0},
        {"\377\377\377\0Z\377\0\0\377\377"s, "\377?\377", 1, 1},
        {"\377Z", "\377Z", 0, 0},
    };
    for (const auto &[raw, decoded, badCharacters, breaks] : cases) {
        for (std::size_t split = 0; split <= raw.size(); ++split) {
            SCOPED_TRACE(testing::PrintToString(raw) + " split at " + std::to_string(split));
            ParmrkDecoder decoder;
            std::string out;
            const ParmrkDecoder::Marks first = decoder.decode(raw.substr(0, split), out);
            const ParmrkDecoder::Marks second = decoder.decode(raw.substr(split), out);
            EXPECT_EQ(out, decoded);
            EXPECT_EQ(first.badCharacters + second.badCharacters, badCharacters);
            EXPECT_EQ(first.breaks + second.breaks, breaks);
        }
    }
}
