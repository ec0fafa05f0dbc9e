#include "engine_text.h"
#include "window_rig.h"

#include <gtest/gtest.h>
#include <numeric>

namespace {

TEST(ReplyHistory, eachReplyMovesTheLinesUpWhole)
{
    WindowRig rig;
    rig.window.RxWin(0)->setText("tapé");
    const std::string replies[] = {"r\xE9gl\xE9 \xB0"
                                   "C\x01",
                                   std::string(40000, 'L'),
                                   "",
                                   "E"};
    for (const std::string &reply : replies) {
        rig.traitRS.reponse[0] = reply;
        rig.gesrs.FlagRS232 = true;
        rig.window.afficheRecept();
        EXPECT_FALSE(rig.gesrs.FlagRS232);
    }
    EXPECT_EQ(rig.history(), (QStringList{"réglé °C\x01", QString(40000, 'L'), "", "E"}));
}

// A look-alike such as '?' would go out on the line, whereas the engine refuses a byte above 127.
TEST(EngineText, latin1CrossesBothWaysUnchangedAndAnythingElseBecomesAByteAbove127)
{
    std::string allBytes(256, '\0');
    std::iota(allBytes.begin(), allBytes.end(), '\0');
    EXPECT_EQ(toEngineText(fromEngineText(allBytes)), allBytes);

    const std::string bytes = toEngineText(QString::fromUtf8("r\u20AC\U0001F600V\u2019"));
    EXPECT_EQ(bytes.size(), 6u);
    EXPECT_EQ(bytes.find('?'), std::string::npos);
    for (std::size_t i : {1, 2, 3, 5})
        EXPECT_GT(static_cast<unsigned char>(bytes[i]), 127) << i;
}

}  // namespace
