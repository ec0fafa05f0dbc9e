#include "frame.h"
#include "window_rig.h"

#include <QLabel>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

using Piece = FakeDevice::Piece;

TEST(Entry, enterDuringTheFirstPollSendsTheInstructionAndTheReplyShows)
{
    WindowRig rig;
    rig.device.answerNext(FakeDevice::whole(FakeDevice::goodReply("OK 12"), 50));
    int ticksBeforeEnter = -1;
    rig.at(499, [&] { ticksBeforeEnter = rig.pollTimer.ticks(); });
    rig.typeAt(490, QStringLiteral("V12"));
    rig.enterAt(500);
    rig.runUntil(10000);

    EXPECT_GE(ticksBeforeEnter, 1);
    EXPECT_EQ(rig.device.instructions(), std::vector<std::string>{"V12"});
    EXPECT_EQ(rig.device.acksReceived(), 1);
    EXPECT_EQ(rig.window.RxWin(0)->text(), QStringLiteral("OK 12"));
    EXPECT_TRUE(rig.window.RxWin(1)->text().isEmpty());
    EXPECT_EQ(rig.window.Envoi, "V12");
    EXPECT_EQ(rig.window.Recept, "OK 12");
    EXPECT_EQ(rig.window.TxWin->text(), QStringLiteral("V12"));
    EXPECT_TRUE(rig.traitRS.reponse[0].empty());
    EXPECT_FALSE(rig.window.Pb_rs->isVisibleTo(&rig.window));
    EXPECT_TRUE(rig.pollTimer.enabled());
}

TEST(Entry, enterTwiceSendsTheSameInstructionTwice)
{
    WindowRig rig;
    rig.device.answerNext(FakeDevice::whole(FakeDevice::goodReply("UN"), 50));
    rig.device.answerNext(FakeDevice::whole(FakeDevice::goodReply("DEUX"), 50));
    rig.typeAt(50, QStringLiteral("S1"));
    rig.enterAt(60);
    rig.enterAt(8000);
    rig.runUntil(12000);

    EXPECT_EQ(rig.device.instructions(), (std::vector<std::string>{"S1", "S1"}));
    EXPECT_EQ(rig.window.RxWin(1)->text(), QStringLiteral("UN"));
    EXPECT_EQ(rig.window.RxWin(0)->text(), QStringLiteral("DEUX"));
}

TEST(Entry, theTextWWWWIsAPollThatSendsNothingAndHoldsNoKeyBack)
{
    WindowRig rig;
    rig.window.RxWin(0)->setText(QStringLiteral("avant"));
    rig.typeAt(50, QStringLiteral("WWWW\r"));
    std::string writtenMeanwhile = "?";
    rig.at(900, [&] { writtenMeanwhile = rig.port.written(); });
    // Before the first instruction a poll lasts until the next Enter, which goes out at once.
    rig.device.answerNext(FakeDevice::whole(FakeDevice::goodReply("OK"), 50));
    rig.typeAt(1000, QStringLiteral("\bX\r"));
    rig.runUntil(8000);

    EXPECT_TRUE(writtenMeanwhile.empty());
    EXPECT_EQ(rig.device.instructions(), std::vector<std::string>{"WWWX"});
    EXPECT_EQ(rig.window.RxWin(1)->text(), QStringLiteral("avant"));
    EXPECT_EQ(rig.window.RxWin(0)->text(), QStringLiteral("OK"));
    EXPECT_TRUE(rig.pollTimer.enabled());
}

TEST(Entry, anInstructionWithACharacterOutsideLatin1NeverReachesTheLine)
{
    WindowRig rig;
    rig.typeAt(50, QStringLiteral("r\u20AC"));
    rig.enterAt(60);
    rig.runUntil(6000);

    EXPECT_TRUE(rig.port.written().empty());
    EXPECT_EQ(rig.window.Pb_rs->text(),
              QStringLiteral("Problème RS232: CARACTERE NON TRANSMISSIBLE"));
}

struct FailedAnswer
{
    const char *what;
    std::string bytes;
    QString report;
};

void PrintTo(const FailedAnswer &answer, std::ostream *out)
{
    *out << answer.what;
}

class FailedExchange : public ::testing::TestWithParam<FailedAnswer>
{};

// Only a reply that passed its checksum enters the history; the report stays in view.
TEST_P(FailedExchange, keepsItsReportAndAddsNoHistoryLine)
{
    WindowRig rig;
    rig.window.RxWin(0)->setText(QStringLiteral("ancienne"));
    rig.device.answerNext(FakeDevice::whole(GetParam().bytes, 50));
    rig.typeAt(50, QStringLiteral("LIRE\r"));
    rig.runUntil(10000);

    ASSERT_EQ(rig.device.instructions().size(), 1u);
    EXPECT_EQ(rig.window.Pb_rs->text(), GetParam().report);
    EXPECT_TRUE(rig.window.Pb_rs->isVisibleTo(&rig.window));
    EXPECT_EQ(rig.window.RxWin(0)->text(), QStringLiteral("ancienne"));
    EXPECT_TRUE(rig.window.RxWin(1)->text().isEmpty());
    EXPECT_TRUE(rig.traitRS.reponse[0].empty());
    EXPECT_EQ(rig.device.acksReceived(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Entry,
    FailedExchange,
    ::testing::Values(FailedAnswer{"badChecksum",
                                   std::string(1, kAck) + FakeDevice::replyFrame("FAUX", "00"),
                                   QStringLiteral("Problème RS232: PB MAUVAIS CHECKSUM")},
                      FailedAnswer{"noStx",
                                   std::string(1, kAck) + "FAUX",
                                   QStringLiteral("Problème RS232: PAS DE RECEPTION STX")},
                      FailedAnswer{"cutOff",
                                   std::string(1, kAck) + std::string(1, kStx) + "MOITIE",
                                   QStringLiteral("Problème RS232: ABSENCE DE REPONSE")}),
    [](const auto &info) { return std::string(info.param.what); });

// A first exchange leaves the line open and Timer_car off, so the next one starts at once.
void settle(WindowRig &rig)
{
    rig.device.answerNext(FakeDevice::whole(FakeDevice::goodReply("PRET"), 50));
    rig.typeAt(50, QStringLiteral("INIT\r"));
    rig.runUntil(6000);
    ASSERT_EQ(rig.window.RxWin(0)->text(), QStringLiteral("PRET"));
}

TEST(Entry, aTickDuringAnExchangeStartsNoPoll)
{
    WindowRig rig;
    settle(rig);
    // "\" waits 6000 ms after its frame before looking at the line; a key typed meanwhile
    // switches the polling timer on again.
    rig.device.answerNext(FakeDevice::whole(FakeDevice::goodReply("FAIT"), 1000));
    rig.typeAt(10000, QStringLiteral("\b\b\b\b\\\r"));
    rig.typeAt(10300, QStringLiteral("x"));
    int countAtStart = 0;
    int ticksAtStart = 0;
    rig.at(10500, [&] {
        countAtStart = rig.port.calls(PortCall::InBufferCount);
        ticksAtStart = rig.pollTimer.ticks();
    });
    int countAtEnd = 0;
    int ticksAtEnd = 0;
    rig.at(15500, [&] {
        countAtEnd = rig.port.calls(PortCall::InBufferCount);
        ticksAtEnd = rig.pollTimer.ticks();
    });
    rig.runUntil(20000);

    ASSERT_EQ(rig.frameTime(1), 10000);
    EXPECT_GT(ticksAtEnd, ticksAtStart + 40);
    EXPECT_EQ(countAtEnd, countAtStart);
    EXPECT_EQ(rig.window.RxWin(0)->text(), QStringLiteral("FAIT"));
    EXPECT_EQ(rig.window.TxWin->text(), QStringLiteral("\\x"));
}

TEST(Entry, enterDuringAnExchangeIsHeldAndThenSendsWhatTheBoxHeld)
{
    WindowRig rig;
    settle(rig);
    rig.device.answerNext(FakeDevice::whole(FakeDevice::goodReply("UN"), 1000));
    rig.device.answerNext(FakeDevice::whole(FakeDevice::goodReply("DEUX"), 50));
    rig.typeAt(10000, QStringLiteral("\b\b\b\b\\\r"));
    rig.typeAt(11000, QStringLiteral("\bA\r"));
    rig.typeAt(11100, QStringLiteral("Z"));
    QString boxDuringExchange;
    std::size_t instructionsDuringExchange = 0;
    rig.at(11200, [&] {
        boxDuringExchange = rig.window.TxWin->text();
        instructionsDuringExchange = rig.device.instructions().size();
    });
    rig.runUntil(25000);

    EXPECT_EQ(boxDuringExchange, QStringLiteral("AZ"));
    EXPECT_EQ(instructionsDuringExchange, 2u);
    EXPECT_EQ(rig.device.instructions(), (std::vector<std::string>{"INIT", "\\", "A"}));
    // The held instruction went out only after the first one's reply had been confirmed.
    const std::string written = rig.port.written();
    const std::string expected =
        buildFrame("INIT") + kAck + buildFrame("\\") + kAck + buildFrame("A") + kAck;
    EXPECT_EQ(written, expected);
    EXPECT_EQ(rig.window.RxWin(1)->text(), QStringLiteral("UN"));
    EXPECT_EQ(rig.window.RxWin(0)->text(), QStringLiteral("DEUX"));
    EXPECT_EQ(rig.window.Envoi, "A");
}

TEST(Entry, aFailureInAPollClosesTheLineIsReportedAndPollingGoesOn)
{
    WindowRig rig;
    settle(rig);
    ASSERT_TRUE(rig.port.PortOpen());
    rig.at(7000, [&] { rig.port.failNext(PortCall::InBufferCount, 8020); });
    int countAfterFailure = 0;
    rig.at(7200, [&] { countAfterFailure = rig.port.calls(PortCall::InBufferCount); });
    rig.runUntil(8000);

    EXPECT_FALSE(rig.port.PortOpen());
    EXPECT_EQ(rig.window.Pb_rs->text(), QStringLiteral("Problème RS232: Erreur 8020"));
    EXPECT_TRUE(rig.window.Pb_rs->isVisibleTo(&rig.window));
    EXPECT_TRUE(rig.pollTimer.enabled());
    EXPECT_GT(rig.port.calls(PortCall::InBufferCount), countAfterFailure);
}

}  // namespace
