#include "reply_table.h"
#include "sim_options.h"

#include <gtest/gtest.h>
#include <sstream>

TEST(ReplyTable, readsRepliesSkipsCommentsAndNamesFaultyLines)
{
    std::istringstream file("# instruction<TAB>reply\n\nSTATUS\tOK\tREADY\r\nCLEAR\t\n\tEMPTY\n"
                            "no tab here\nCLEAR\tagain\n");
    const sim::ReplyTableParse read = sim::parseReplyTable(file);
    EXPECT_EQ(read.table.lookup("STATUS"), "OK\tREADY");
    EXPECT_EQ(read.table.lookup("CLEAR"), "");
    EXPECT_EQ(read.table.lookup(""), "EMPTY");
    ASSERT_EQ(read.errors.size(), 2u);
    EXPECT_NE(read.errors[0].find("ligne 6"), std::string::npos);
    EXPECT_NE(read.errors[1].find("ligne 7"), std::string::npos);
}

TEST(SimOptions, aRateAloneDrawsAmongAllFaultsAndNonsenseIsRefused)
{
    const sim::SimOptions options = sim::parseOptions({"--fault-rate", "0.2"}).options;
    EXPECT_EQ(sim::faultChoices(options), sim::allFaults());
    EXPECT_EQ(sim::faultRate(options), 0.2);
    for (const char *bad : {"--baud=4800", "--baud", "--fault=loud", "--seed=4294967296"}) {
        EXPECT_NE(sim::parseOptions({bad}).error, "") << bad;
    }
}
