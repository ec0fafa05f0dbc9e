// Line set-up, and the component's failures during an operator exchange or a poll.
#include "comm_error.h"
#include "engine_rig.h"
#include "latin1.h"

#include <gtest/gtest.h>

namespace {

using Choice = OperatorView::FailureChoice;

const std::vector<std::string> kSetUpAt9600OnCom3{"InBufferSize=256",
                                                  "CommPort=3",
                                                  "Settings=9600,e,7,1",
                                                  "RThreshold=1",
                                                  "SThreshold=1",
                                                  "InputLen=0",
                                                  "DTREnable=True",
                                                  "RTSEnable=True",
                                                  "PortOpen=True"};

TEST(LineSetUp, writesTheNinePropertiesInOrderOnlyWhileTheLineIsClosed)
{
    EngineRig rig;
    rig.Timer_car.setEnabled(false);
    rig.gesrs.voie_serie_Select = 3;
    rig.gesrs.Select_Vitesse_9600 = true;
    rig.device.answerNext(FakeDevice::whole(FakeDevice::goodReply("1"), 20));
    rig.device.answerNext(FakeDevice::whole(FakeDevice::goodReply("2"), 20));

    rig.gesrs.envoicom("A");
    EXPECT_EQ(rig.port.propertyWrites(), kSetUpAt9600OnCom3);

    rig.gesrs.Select_Vitesse_9600 = false;  // takes effect at the next set-up only
    rig.gesrs.envoicom("A");
    EXPECT_EQ(rig.port.propertyWrites(), kSetUpAt9600OnCom3);
    EXPECT_EQ(rig.view.shown, (std::vector<std::string>{"1", "2"}));
}

struct SetUpFailureCase
{
    PortCall failingCall;
    std::int32_t number;
    std::string text;
};

class SetUpFailure : public ::testing::TestWithParam<SetUpFailureCase>
{};

TEST_P(SetUpFailure, showsItsMessageSendsNothingAndIsTriedAgainNextTime)
{
    const SetUpFailureCase &c = GetParam();
    EngineRig rig;
    rig.Timer_car.setEnabled(false);
    rig.gesrs.Status = 1;
    rig.gesrs.FlagRS232 = true;
    rig.port.failNext(c.failingCall, c.number);

    rig.gesrs.envoicom("A");

    EXPECT_EQ(rig.view.setupBoxes, std::vector<std::string>{latin1(c.text)});
    EXPECT_TRUE(rig.view.exchangeBoxes.empty());
    EXPECT_TRUE(rig.port.outputs().empty());
    EXPECT_FALSE(rig.port.PortOpen());
    EXPECT_FALSE(rig.Timer_car.enabled());
    EXPECT_EQ(rig.view.beeps, 0);
    EXPECT_TRUE(rig.view.captions.empty());
    EXPECT_EQ(rig.gesrs.Status, 1);
    EXPECT_TRUE(rig.gesrs.FlagRS232);

    rig.device.answerNext(FakeDevice::whole(FakeDevice::goodReply("OK"), 20));
    rig.gesrs.envoicom("A");
    EXPECT_EQ(rig.port.propertyWrites().back(), "PortOpen=True");
    EXPECT_EQ(rig.view.shown, std::vector<std::string>{"OK"});
}

INSTANTIATE_TEST_SUITE_P(
    Numbers,
    SetUpFailure,
    ::testing::Values(
        SetUpFailureCase{
            PortCall::SetPortOpen, 8005, " Mauvaise liaison série. \r      Erreur : 8005"},
        SetUpFailureCase{
            PortCall::SetPortOpen, 8013, " Liaison série déjà utilisée. \r Erreur : 8013"},
        SetUpFailureCase{
            PortCall::SetCommPort, 8002, "Liaison série non gérée. \r     Erreur : 8002"},
        SetUpFailureCase{
            PortCall::SetSettings, 8011, "Liaison série non gérée. \r     Erreur : 8011"}));

TEST(ExchangeFailure, retryRunsTheFailedWriteAgainUntilItSucceeds)
{
    EngineRig rig;
    rig.skipStartUp();
    rig.port.failNext(PortCall::Output, 8020, 3);  // the STX, three times
    rig.view.choices = {Choice::Retry, Choice::Retry, Choice::Retry};
    rig.device.answerNext(FakeDevice::whole(FakeDevice::goodReply("OK"), 20));

    rig.gesrs.envoicom("V");

    ASSERT_EQ(rig.view.exchangeBoxes.size(), 3u);
    EXPECT_EQ(rig.view.exchangeBoxes[0].first, latin1("Erreur d'exécution"));
    EXPECT_EQ(rig.view.exchangeBoxes[0].second, "Erreur   8020");
    EXPECT_EQ(rig.port.written(),
              "\x02V\x03"
              "56\x06");
    EXPECT_EQ(rig.view.shown, std::vector<std::string>{"OK"});
}

TEST(ExchangeFailure, cancelOfAFailedReadGoesOnWithoutFeedingOldCharactersAgain)
{
    EngineRig rig;
    rig.skipStartUp();
    rig.device.answerNext({{50, "\x06\x02HE"}, {700, "LLO\x03" + FakeDevice::digitsFor("HELLO")}});
    // The second piece's first read fails; its characters stay waiting for the next pass.
    rig.timeline.at(650, [&] { rig.port.failNext(PortCall::Input, 8020); });
    rig.view.choices = {Choice::Cancel};

    rig.gesrs.envoicom("A");

    EXPECT_EQ(rig.view.exchangeBoxes.size(), 1u);
    EXPECT_EQ(rig.view.shown, std::vector<std::string>{"HELLO"});
    EXPECT_EQ(rig.gesrs.Status, 1);
}

TEST(ExchangeFailure, cancelOfTheAckWriteStillShowsTheGoodReply)
{
    EngineRig rig;
    rig.skipStartUp();
    rig.device.answerNext(FakeDevice::whole(FakeDevice::goodReply("OK"), 50));
    rig.timeline.at(10, [&] { rig.port.failNext(PortCall::Output, 8018); });
    rig.view.choices = {Choice::Cancel};

    rig.gesrs.envoicom("A");

    EXPECT_EQ(rig.device.acksReceived(), 0);
    EXPECT_EQ(rig.view.shown, std::vector<std::string>{"OK"});
    EXPECT_EQ(rig.gesrs.Status, 1);
}

TEST(PollFailure, leavesThePollUnhandled)
{
    EngineRig rig;
    rig.skipStartUp();
    rig.port.deliver("\x06");
    rig.port.failNext(PortCall::Input, 8020);

    EXPECT_THROW(rig.poll(), CommError);
    EXPECT_TRUE(rig.view.exchangeBoxes.empty());
}

}  // namespace
