// The problem report, its one-second throttle, line events and their texts, refused
// instructions, and the frame.
#include "engine_rig.h"
#include "instruction_check.h"
#include "line_events.h"
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

    // The same fault at once is not reported: the exchange waits for a new ACK until silence,
    // which is reported at once, and so is the next silence, however soon.
    EXPECT_EQ(exchangeMs(lowercaseDigits), 400 + 500);
    EXPECT_EQ(exchangeMs(""), 500);

    // A missing STX, unreported, still ends the exchange at its first pass.
    EXPECT_EQ(exchangeMs("\x06X"), 401);

    rig.timeline.advance(1000);
    exchangeMs(lowercaseDigits);
    EXPECT_EQ(rig.captions, (Texts{badDigits, noAnswer, noAnswer, badDigits}));
    EXPECT_EQ(rig.beeps, 4);
}

TEST(LineEventInAnExchange, isReportedOnlyFromAPassThatFindsNothingWaiting)
{
    // The 400 ms post-send wait ends first: a reply at 450 ms finds the line empty at first.
    for (const bool replyLate : {true, false}) {
        SCOPED_TRACE(replyLate);
        EngineRig rig;
        rig.answer(FakeDevice::goodReply("OK"), replyLate ? 450 : 50);
        rig.timeline.at(60, [&rig] { rig.port.setCommEvent(1009); });  // after the early reply

        rig.gesrs.envoicom("A");
        // A poll in silence then makes one pass and ends quietly, whatever the line event.
        const std::int64_t passes = rig.pumpCalls;
        rig.poll();

        EXPECT_EQ(rig.pumpCalls, passes + 1);
        EXPECT_EQ(rig.captions, replyLate ? Texts{problem(latin1("Erreur de parité"))} : Texts{});
    }
}

TEST(RefusedInstruction, isReportedWhateverTheThrottleAndNothingElseHappens)
{
    // 508 characters make a 512-character frame, as much as the transmit buffer holds.
    EXPECT_EQ(instructionRefusal(std::string(508, 'A')), "");
    const std::pair<std::string, std::string> cases[] = {
        {latin1("réglé"), "CARACTERE NON TRANSMISSIBLE"},
        {"A\x03Z", "CARACTERE NON TRANSMISSIBLE"},
        {"\x7F", "CARACTERE NON TRANSMISSIBLE"},
        {std::string(509, 'A'), "Tampon de transmission plein"}};
    for (const auto &[instruction, text] : cases) {
        SCOPED_TRACE(text);
        EngineRig rig(true);
        rig.gesrs.reportProblem("earlier");  // the throttle runs
        rig.gesrs.etape_Rs232 = 2;
        rig.gesrs.Car = "x";

        rig.gesrs.envoicom(instruction);

        EXPECT_EQ(rig.captions, (Texts{"earlier", problem(text)}));
        EXPECT_EQ(rig.pumpCalls, 0);  // no settling wait, so no line set-up either
        EXPECT_EQ(rig.gesrs.etape_Rs232, 2);
        EXPECT_EQ(rig.gesrs.Car, "x");
    }
}

// The frame and the line-event texts, from their tables.

TEST(Frame, isStxTextEtxAndTheTwoUppercaseChecksumDigits)
{
    // A sum below 16 keeps its leading zero; a byte above 127 counts with all eight bits.
    const std::pair<std::string, std::string> examples[] = {
        {"V", "56"}, {"\\", "5C"}, {"ABC", "40"}, {"", "00"}, {"AK", "0A"}, {"\xE9", "E9"}};
    for (const auto &[text, digits] : examples)
        EXPECT_EQ(buildFrame(text), "\x02" + text + "\x03" + digits) << text;
}

TEST(LineEvents, eachCodeGivesItsExactTextAndTheOthersNoneReadAfreshForEachRow)
{
    const std::pair<int, std::string> table[] = {
        {3, "Changement sur signal (CTS) détecté"},
        {4, "Changement sur signal (DSR) détecté"},
        {5, "Changement sur signal  DCD) détecté"},
        {6, "Sonnerie Détectée"},
        {7, "Fin de fichier détectée"},
        {1007, "Délai d'attente sur signal (DCD) expiré"},
        {1002, "Délai d'attente sur signal (CTS) expiré"},
        {1011, "Erreur d'extraction de Bloc de contrôle de périphérique (DCB)"},
        {1003, "Délai d'attente sur signal (DSR) expiré"},
        {1004, "Erreur de trame"},
        {1006, "Overrun error"},
        {1008, "Dépassement du tampon de réception"},
        {1009, "Erreur de parité"},
        {1010, "Tampon de transmission plein"}};
    for (const auto &[code, text] : table)
        EXPECT_EQ(lineEventText([code = code] { return code; }), latin1(text)) << code;
    // Characters sent and received, a break, nothing and the unknown are silent.
    for (const int code : {0, 1, 2, 1001, 1005})
        EXPECT_EQ(lineEventText([code] { return code; }), "") << code;
    // The event is read afresh for each row, in table order: when it changes between readings,
    // the second row (DSR) must see the second reading.
    const int readings[] = {0, 4, 3, 3};
    int reads = 0;
    EXPECT_EQ(lineEventText([&] { return readings[reads++]; }),
              latin1("Changement sur signal (DSR) détecté"));
}

}  // namespace
