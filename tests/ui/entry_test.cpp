#include "engine_text.h"
#include "exchange_journal.h"
#include "frame.h"
#include "instruction_history.h"
#include "window_rig.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <numeric>

namespace {

TEST(Entry, WWWWPollsSilentlyEachEnterSendsTheBoxOnceTheExchangeBeforeIsOverOnlyGoodRepliesShow)
{
    WindowRig rig;
    QTemporaryDir dir;
    ExchangeJournal journal;
    ASSERT_TRUE(journal.open(dir.filePath("journal.csv").toStdString()));
    rig.window.setExchangeJournal(&journal);
    InstructionHistory history(dir.filePath("instructions.conf"));
    rig.window.setInstructionHistory(&history);
    rig.window.RxWin(0)->setText("avant");
    rig.typeAt(50, "WWWW\r");
    // Before the first instruction a poll lasts until the next Enter, which goes out at once.
    // The first reply has wrong digits: its text, received whole, must not pass for a reply.
    rig.device.answerNext({{50, kAck + FakeDevice::replyFrame("FAUX", "00")}});
    rig.answerNext("UN");
    rig.answerNext("DEUX");
    rig.typeAt(1000, "\bX\r");
    // Beyond Latin-1, refused before reaching the line (a look-alike such as '?' would go out),
    // so not recalled.
    rig.timeline.at(7950, [&] { rig.window.TxWin->insert("€"); });
    rig.typeAt(7960, "\r\b");
    rig.typeAt(8000, "\r");
    rig.typeAt(15000, "\r");
    rig.runUntil(19000);

    EXPECT_EQ(rig.device.instructions(), (std::vector<std::string>{"WWWX", "WWWX", "WWWX"}));
    EXPECT_EQ(rig.history(), (QStringList{"", "avant", "UN", "DEUX"}));
    EXPECT_FALSE(rig.window.TxWin->isUndoAvailable());  // edits must not pile up all day
    EXPECT_TRUE(rig.traitRS.reponse[0].empty());
    // A good reply clears the report of the last problem.
    EXPECT_TRUE(rig.window.Pb_rs->isHidden() && rig.window.Pb_rs->text().isEmpty());
    QFile written(dir.filePath("journal.csv"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll().count("\r\n"), 5);  // the header and the four Enters, no poll

    QCoreApplication::processEvents();  // the program's event loop records what went out
    EXPECT_EQ(history.entries(), (QStringList{"WWWW", "WWWX"}));
    QTest::keyClick(rig.window.TxWin, Qt::Key_Up);
    QTest::keyClick(rig.window.TxWin, Qt::Key_Up);
    EXPECT_EQ(rig.window.TxWin->text(), "WWWW");
    QTest::keyClick(rig.window.TxWin, Qt::Key_Down);
    EXPECT_EQ(rig.window.TxWin->text(), "WWWX");

    // The line is now open and Timer_car off, so that the next exchange starts at once. "\"
    // waits 6000 ms after its frame before reading; the keys typed meanwhile switch the polling
    // timer on again.
    const std::size_t writtenBefore = rig.port.written().size();
    rig.answerNext("TROIS", 1000);
    rig.answerNext("QUATRE");
    rig.typeAt(20000, "\b\b\b\b\\\r");
    rig.typeAt(21000, "\bA\r");
    rig.typeAt(21100, "Z");
    QString boxMeanwhile;
    int reads[2] = {};
    int ticks[2] = {};
    for (int i : {0, 1}) {
        rig.timeline.at(21200 + 4000 * i, [&, i] {
            boxMeanwhile = rig.window.TxWin->text();
            reads[i] = rig.port.calls(PortCall::InBufferCount);
            ticks[i] = rig.pollTimer.ticks();
        });
    }
    // Then a failure in a poll closes the line, is reported, and polling goes on.
    rig.timeline.at(36000, [&] { rig.port.failNext(PortCall::InBufferCount, 8020); });
    int readsAfterFailure = 0;
    rig.timeline.at(36200, [&] { readsAfterFailure = rig.port.calls(PortCall::InBufferCount); });
    rig.runUntil(37000);

    EXPECT_GT(ticks[1], ticks[0] + 30);
    EXPECT_EQ(reads[1], reads[0]);
    EXPECT_EQ(boxMeanwhile, "AZ");
    // The held instruction goes out only after the first one's reply has been confirmed.
    EXPECT_EQ(rig.port.written().substr(writtenBefore),
              buildFrame("\\") + kAck + buildFrame("A") + kAck);
    EXPECT_EQ(rig.history(), (QStringList{"UN", "DEUX", "TROIS", "QUATRE"}));
    EXPECT_FALSE(rig.port.PortOpen());
    EXPECT_EQ(rig.window.Pb_rs->isHidden() ? "" : rig.window.Pb_rs->text(),
              "Problème RS232: Erreur 8020");
    EXPECT_GT(rig.port.calls(PortCall::InBufferCount), readsAfterFailure);
}

TEST(ReplyHistory, eachReplyMovesTheLinesUpWholeInLatin1)
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

    // Every byte crosses between the engine's text and the window's unchanged, both ways.
    std::string allBytes(256, '\0');
    std::iota(allBytes.begin(), allBytes.end(), '\0');
    EXPECT_EQ(toEngineText(fromEngineText(allBytes)), allBytes);
}

}  // namespace
