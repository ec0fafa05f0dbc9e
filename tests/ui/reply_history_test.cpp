#include "window_rig.h"

#include <QLabel>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

class ReplyHistory : public ::testing::Test
{
protected:
    WindowRig rig;

    void show(const std::string &reply)
    {
        rig.traitRS.reponse[0] = reply;
        rig.gesrs.FlagRS232 = true;
        rig.window.afficheRecept();
    }
    QStringList lines() const
    {
        return {rig.window.RxWin(3)->text(),
                rig.window.RxWin(2)->text(),
                rig.window.RxWin(1)->text(),
                rig.window.RxWin(0)->text()};
    }
};

TEST_F(ReplyHistory, fiveRepliesLeaveTheNewestFourAndClearTheProblemReport)
{
    for (const char *reply : {"A", "B", "C", "D"})
        show(reply);
    EXPECT_EQ(lines(), (QStringList{"A", "B", "C", "D"}));
    rig.window.setProblemCaption("Probl\xE8me RS232: PB MAUVAIS CHECKSUM");
    rig.window.setProblemVisible(true);
    show("E");
    EXPECT_EQ(lines(), (QStringList{"B", "C", "D", "E"}));
    EXPECT_EQ(rig.window.Recept, "E");
    EXPECT_EQ(rig.traitRS.reponse[0], "E");
    EXPECT_FALSE(rig.gesrs.FlagRS232);
    EXPECT_FALSE(rig.window.Pb_rs->isVisibleTo(&rig.window));
    EXPECT_TRUE(rig.window.Pb_rs->text().isEmpty());
}

TEST_F(ReplyHistory, everyLineMovesUpWholeWhateverItHolds)
{
    rig.window.RxWin(0)->setText(QStringLiteral("tapé"));
    show("r\xE9gl\xE9 \xB0"
         "C\x01");
    EXPECT_EQ(rig.window.RxWin(0)->text(), QString::fromUtf8("réglé °C\x01"));
    show(std::string(40000, 'L'));
    show("");
    EXPECT_EQ(lines(), (QStringList{"tapé", "réglé °C\x01", QString(40000, 'L'), ""}));
}

}  // namespace
