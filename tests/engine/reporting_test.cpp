// The problem report, its one-second throttle, line events and refused instructions.
#include "engine_rig.h"
#include "instruction_check.h"
#include "operator_text.h"

#include <gtest/gtest.h>

namespace {

TEST(Throttle, suppressesAProtocolReportWithinASecondOfAnotherButNeverANoAnswerReport)
{
    const std::string lowercaseDigits = "\x06" + FakeDevice::replyFrame("Z0", "6a");
    const std::string badDigits = problem("PB MAUVAIS CHECKSUM");
    const std::string noAnswer = problem("ABSENCE DE REPONSE");
    EngineRig rig;
    auto exchangeMs = [&rig](const std::string &answer) {
        const std::int64_t start = rig.timeline.now();
        rig.answer(answer);
        rig.gesrs.envoicom("A");
        return rig.timeline.now() - start;
    };
    exchangeMs(lowercaseDigits);
    EXPECT_EQ(rig.view.captions, Texts{badDigits});

    // The same fault at once is not reported: the exchange waits for a new ACK until silence,
    // which is reported at once, and so is the next silence, however soon.
    EXPECT_EQ(exchangeMs(lowercaseDigits), 400 + 500);
    EXPECT_EQ(exchangeMs(""), 500);
    EXPECT_EQ(rig.view.captions, (Texts{badDigits, noAnswer, noAnswer}));

    // A missing STX, unreported, still ends the exchange at its first pass.
    EXPECT_EQ(exchangeMs("\x06X"), 401);

    rig.timeline.advance(1000);
    exchangeMs(lowercaseDigits);
    EXPECT_EQ(rig.view.captions, (Texts{badDigits, noAnswer, noAnswer, badDigits}));
    EXPECT_EQ(rig.view.beeps, 4);
}

TEST(LineEventInAnExchange, isReportedOnlyFromAPassThatFindsNothingWaiting)
{
    // The 400 ms post-send wait ends first: a reply at 450 ms finds the line empty at first.
    for (const bool replyLate : {true, false}) {
        SCOPED_TRACE(replyLate);
        EngineRig rig;
        rig.port.setCommEvent(1009);
        rig.answer(FakeDevice::goodReply("OK"), replyLate ? 450 : 50);

        rig.gesrs.envoicom("A");
        // A poll in silence then makes one pass and ends quietly, whatever the line event.
        const std::int64_t passes = rig.pumpCalls;
        rig.poll();

        EXPECT_EQ(rig.pumpCalls, passes + 1);
        EXPECT_EQ(rig.view.captions,
                  replyLate ? Texts{problem(latin1("Erreur de parité"))} : Texts{});
        EXPECT_EQ(rig.view.shown.size(), replyLate ? 0u : 1u);
    }
}

TEST(RefusedInstruction, isReportedWhateverTheThrottleAndNothingElseHappens)
{
    // 508 characters make a 512-character frame, as much as the transmit buffer holds.
    EXPECT_EQ(instructionRefusal(std::string(508, 'A')), "");
    const std::pair<std::string, std::string> cases[] = {
        {latin1("réglé"), "CARACTERE NON TRANSMISSIBLE"},
        {"A\x03"
         "B",
         "CARACTERE NON TRANSMISSIBLE"},
        {"\x7F", "CARACTERE NON TRANSMISSIBLE"},
        {std::string(509, 'A'), "Tampon de transmission plein"}};
    for (const auto &[instruction, text] : cases) {
        SCOPED_TRACE(text);
        EngineRig rig(true);
        rig.gesrs.reportProblem("earlier");  // the throttle runs
        rig.gesrs.etape_Rs232 = 2;
        rig.gesrs.Car = "x";

        rig.gesrs.envoicom(instruction);

        EXPECT_EQ(rig.view.captions, (Texts{"earlier", problem(text)}));
        EXPECT_TRUE(rig.port.propertyWrites().empty());
        EXPECT_EQ(rig.pumpCalls, 0);
        EXPECT_EQ(rig.gesrs.etape_Rs232, 2);
        EXPECT_EQ(rig.gesrs.Car, "x");
    }
}

}  // namespace
