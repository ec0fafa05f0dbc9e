// The problem report, its one-second throttle, line events and untransmissible instructions.
#include "engine_rig.h"
#include "latin1.h"

#include <gtest/gtest.h>

namespace {

std::string problem(const std::string &text)
{
    return latin1("Problème RS232: ") + text;
}

FakeDevice::Answer lowercaseDigits()
{
    return FakeDevice::whole("\x06" + FakeDevice::replyFrame("Z0", "6a"), 50);
}

TEST(Throttle, suppressesASecondProtocolReportWithinASecondButNeverANoAnswerReport)
{
    EngineRig rig;
    rig.skipStartUp();
    EXPECT_FALSE(rig.Timer_mes.enabled()) << "a first fault must not be hidden";

    rig.device.answerNext(lowercaseDigits());
    rig.gesrs.envoicom("A");
    const std::int64_t firstReport = rig.timeline.now();
    EXPECT_EQ(rig.view.captions, std::vector<std::string>{problem("PB MAUVAIS CHECKSUM")});

    // The same fault at once: not reported; the exchange waits for a new ACK until silence.
    rig.device.answerNext(lowercaseDigits());
    rig.gesrs.envoicom("A");
    EXPECT_LT(rig.timeline.now() - firstReport, 1000);
    EXPECT_EQ(
        rig.view.captions,
        (std::vector<std::string>{problem("PB MAUVAIS CHECKSUM"), problem("ABSENCE DE REPONSE")}));

    // Silence again, within a second of that report: reported all the same.
    rig.gesrs.envoicom("A");
    EXPECT_EQ(rig.view.captions.size(), 3u);
    EXPECT_EQ(rig.view.beeps, 3);

    // Once the throttle has run out, a fault is reported again.
    rig.timeline.advance(1000);
    rig.device.answerNext(lowercaseDigits());
    rig.gesrs.envoicom("A");
    EXPECT_EQ(rig.view.captions.back(), problem("PB MAUVAIS CHECKSUM"));
    EXPECT_EQ(rig.view.beeps, 4);
}

TEST(Throttle, stillLetsAMissingStxEndTheExchange)
{
    EngineRig rig;
    rig.skipStartUp();
    rig.gesrs.reportProblem("earlier");
    rig.device.answerNext(FakeDevice::whole("\x06X", 50));

    rig.gesrs.envoicom("A");

    EXPECT_EQ(rig.gesrs.Status, 2);
    EXPECT_EQ(rig.view.captions, std::vector<std::string>{"earlier"});
    EXPECT_EQ(rig.timeline.now(), 401) << "ends at the first pass";
}

struct LineEventCase
{
    int event;
    std::int64_t replyAtMs;
    bool reported;
};

class LineEventInExchange : public ::testing::TestWithParam<LineEventCase>
{};

TEST_P(LineEventInExchange, isTranslatedOnlyWhenNothingWaits)
{
    const LineEventCase &c = GetParam();
    EngineRig rig;
    rig.skipStartUp();
    rig.port.setCommEvent(c.event);
    rig.device.answerNext(FakeDevice::whole(FakeDevice::goodReply("OK"), c.replyAtMs));

    rig.gesrs.envoicom("A");

    if (c.reported) {
        EXPECT_EQ(rig.view.captions, std::vector<std::string>{problem(latin1("Erreur de parité"))});
        EXPECT_EQ(rig.gesrs.Status, 2);
        EXPECT_TRUE(rig.view.shown.empty());
    } else {
        EXPECT_TRUE(rig.view.captions.empty());
        EXPECT_EQ(rig.view.shown, std::vector<std::string>{"OK"});
    }
}

// The 400 ms post-send wait ends first: a reply at 450 ms finds the line empty at the first pass.
INSTANTIATE_TEST_SUITE_P(Events,
                         LineEventInExchange,
                         ::testing::Values(LineEventCase{1009, 450, true},
                                           LineEventCase{1009, 50, false},
                                           LineEventCase{2, 450, false},
                                           LineEventCase{1001, 450, false}));

TEST(UntransmissibleInstruction, isReportedAndNothingElseHappens)
{
    EngineRig rig;                       // fresh: line closed, Timer_car stuck on
    rig.gesrs.reportProblem("earlier");  // the throttle runs
    rig.gesrs.etape_Rs232 = 2;
    rig.gesrs.Car = "x";
    rig.gesrs.requete = "before";

    rig.gesrs.envoicom(latin1("réglé"));

    EXPECT_EQ(rig.view.problemCaption, problem("CARACTERE NON TRANSMISSIBLE"));
    EXPECT_EQ(rig.view.beeps, 2);
    EXPECT_TRUE(rig.port.propertyWrites().empty());
    EXPECT_TRUE(rig.port.outputs().empty());
    EXPECT_EQ(rig.events.calls(), 0);
    EXPECT_TRUE(rig.Timer_car.enabled());
    EXPECT_EQ(rig.gesrs.etape_Rs232, 2);
    EXPECT_EQ(rig.gesrs.Car, "x");
    EXPECT_EQ(rig.gesrs.requete, "before");
}

}  // namespace
