// Line set-up, and the component's failures during an operator exchange or a poll.
#include "comm_error.h"
#include "engine_rig.h"
#include "operator_text.h"

#include <gtest/gtest.h>

namespace {

TEST(LineSetUp, failureShowsItsMessageSendsNothingThenTheNineWritesAreMadeInOrderWhileClosed)
{
    // clang-format off
    const Texts nine{"InBufferSize=256", "CommPort=3", "Settings=9600,e,7,1", "RThreshold=1",
        "SThreshold=1", "InputLen=0", "DTREnable=True", "RTSEnable=True", "PortOpen=True"};
    // clang-format on
    // The opening fails with each number: its box.
    const std::pair<std::int32_t, std::string> cases[] = {
        {8005, " Mauvaise liaison série. \r      Erreur : 8005"},
        {8013, " Liaison série déjà utilisée. \r Erreur : 8013"},
        {8011, "Liaison série non gérée. \r     Erreur : 8011"}};
    for (const auto &[number, text] : cases) {
        SCOPED_TRACE(number);
        EngineRig rig(true);
        rig.Timer_car.setEnabled(false);
        rig.gesrs.voie_serie_Select = 3;
        rig.gesrs.Select_Vitesse_9600 = true;
        rig.port.failNext(PortCall::SetPortOpen, number);

        rig.gesrs.envoicom("A");

        EXPECT_EQ(rig.setupBoxes, Texts{latin1(text)});
        EXPECT_EQ(rig.port.written(), "");
        EXPECT_FALSE(rig.port.PortOpen());
        EXPECT_TRUE(rig.captions.empty());

        // Tried again next time; once the line is open a new speed waits for the next set-up.
        rig.answer(FakeDevice::goodReply("OK"));
        rig.gesrs.envoicom("A");
        rig.gesrs.Select_Vitesse_9600 = false;
        rig.gesrs.envoicom("A");
        Texts writes(nine.begin(), nine.end() - 1);  // all but the opening that failed
        writes.insert(writes.end(), nine.begin(), nine.end());
        EXPECT_EQ(rig.port.propertyWrites(), writes);
        EXPECT_EQ(rig.shown, Texts{"OK"});
    }
}

TEST(ExchangeFailure, retryRunsTheFailedStepAgainCancelGoesOnAndAPollLeavesItToTheCaller)
{
    EngineRig rig;
    rig.port.failNext(PortCall::Output, 8020, 3);  // the STX, three times
    rig.answer(FakeDevice::goodReply("OK"));

    rig.gesrs.envoicom("V");

    const std::pair<std::string, std::string> box{latin1("Erreur d'exécution"), "Erreur   8020"};
    EXPECT_EQ(rig.exchangeBoxes, decltype(rig.exchangeBoxes)(3, box));
    EXPECT_EQ(rig.port.written(), buildFrame("V") + kAck);

    // Cancel goes on with the next step without repeating the failed one.
    rig.device.answerNext({{50, "\x06\x02HE"}, {700, FakeDevice::goodReply("HELLO").substr(4)}});
    // The second piece's first read fails, its characters waiting for the next pass; then the
    // write of the ACK fails.
    rig.timeline.after(650, [&] {
        rig.port.failNext(PortCall::Input, 8020);
        rig.port.failNext(PortCall::Output, 8020);
    });
    rig.choices = {OperatorView::FailureChoice::Cancel, OperatorView::FailureChoice::Cancel};

    rig.gesrs.envoicom("A");

    EXPECT_EQ(rig.exchangeBoxes.size(), 5u);
    EXPECT_EQ(rig.device.acksReceived(), 1);
    EXPECT_EQ(rig.shown, (Texts{"OK", "HELLO"}));

    // A poll has no box of its own: its failure is left to the caller.
    rig.port.deliver("\x06");
    rig.port.failNext(PortCall::Input, 8020);
    EXPECT_THROW(rig.poll(), CommError);
}

}  // namespace
