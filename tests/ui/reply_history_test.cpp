#include "window_rig.h"

#include <gtest/gtest.h>

namespace {

TEST(ReplyHistory, eachReplyMovesTheLinesUpWholeAndClearsTheProblemReport)
{
    WindowRig rig;
    rig.window.RxWin(0)->setText("tapé");
    const std::string replies[] = {"r\xE9gl\xE9 \xB0"
                                   "C\x01",
                                   std::string(40000, 'L'),
                                   "",
                                   "E"};
    for (const std::string &reply : replies) {
        rig.window.setProblemCaption("Probl\xE8me RS232: PB MAUVAIS CHECKSUM");
        rig.window.setProblemVisible(true);
        rig.traitRS.reponse[0] = reply;
        rig.gesrs.FlagRS232 = true;
        rig.window.afficheRecept();

        EXPECT_EQ(rig.window.Recept, reply);
        EXPECT_EQ(rig.traitRS.reponse[0], reply);
        EXPECT_FALSE(rig.gesrs.FlagRS232);
        EXPECT_FALSE(rig.window.Pb_rs->isVisibleTo(&rig.window));
        EXPECT_EQ(rig.window.Pb_rs->text(), "");
    }
    EXPECT_EQ(rig.history(), (QStringList{"réglé °C\x01", QString(40000, 'L'), "", "E"}));
}

}  // namespace
