#include "piece_splitter.h"
#include "reply_table.h"

#include <gtest/gtest.h>
#include <sstream>

using Sizes = std::vector<std::size_t>;
using Pieces = std::vector<std::string>;

TEST(PieceSizes, parsesPositiveListsOnly)
{
    EXPECT_EQ(sim::parsePieceSizes("3,2,5"), (Sizes{3, 2, 5}));
    EXPECT_EQ(sim::parsePieceSizes("1"), (Sizes{1}));
    for (const char *bad :
         {"", "3,", ",3", "3,,2", "0", "3,0", "-1", "2x", " 3", "99999999999999999999"}) {
        EXPECT_EQ(sim::parsePieceSizes(bad), std::nullopt) << '"' << bad << '"';
    }
}

TEST(PieceSplitter, lastSizeRepeatsAndNothingIsLostOrReordered)
{
    EXPECT_EQ(sim::splitIntoPieces("ABCDEFGHIJ", {3, 2}), (Pieces{"ABC", "DE", "FG", "HI", "J"}));
    EXPECT_EQ(sim::splitIntoPieces("ABCDEFGHIJ", {3, 2, 5}), (Pieces{"ABC", "DE", "FGHIJ"}));
    EXPECT_EQ(sim::splitIntoPieces("ABCD", {10}), (Pieces{"ABCD"}));
    EXPECT_EQ(sim::splitIntoPieces("ABCD", {}), (Pieces{"ABCD"}));
    EXPECT_EQ(sim::splitIntoPieces("ABC", {1}), (Pieces{"A", "B", "C"}));
    EXPECT_TRUE(sim::splitIntoPieces("", {3}).empty());
}

TEST(ReplyTable, readsRepliesCommentsAndWindowsLineEnds)
{
    std::istringstream file("# instruction<TAB>reply\n"
                            "V\tV12.3\n"
                            "\n"
                            "STATUS\tOK\tREADY\r\n"
                            "CLEAR\t\n"
                            "\tEMPTY\n");
    const sim::ReplyTableParse read = sim::parseReplyTable(file);
    EXPECT_TRUE(read.errors.empty());
    EXPECT_EQ(read.table.size(), 4u);
    EXPECT_EQ(read.table.lookup("V"), "V12.3");
    EXPECT_EQ(read.table.lookup("STATUS"), "OK\tREADY");
    EXPECT_EQ(read.table.lookup("CLEAR"), "");
    EXPECT_EQ(read.table.lookup(""), "EMPTY");
    EXPECT_EQ(read.table.lookup("v"), std::nullopt);
    EXPECT_EQ(read.table.lookup("# instruction<TAB>reply"), std::nullopt);
}

TEST(ReplyTable, namesEachFaultyLine)
{
    std::istringstream file("A\t1\n"
                            "no tab here\n"
                            "A\t2\n");
    const sim::ReplyTableParse read = sim::parseReplyTable(file);
    ASSERT_EQ(read.errors.size(), 2u);
    EXPECT_NE(read.errors[0].find("ligne 2"), std::string::npos);
    EXPECT_NE(read.errors[1].find("ligne 3"), std::string::npos);
    EXPECT_NE(read.errors[1].find("ligne 1"), std::string::npos);
    EXPECT_EQ(read.table.lookup("A"), "1");
}
