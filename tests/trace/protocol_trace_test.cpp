// The trace lines of real exchanges: the engine on the virtual timeline, the tap around it.
#include "engine_rig.h"
#include "trace_tap.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

struct TraceRig : EngineFakes, TraceSink
{
    TraceTap tap{GesRSPlatform{port, Time_Wait, Timer_car, Timer_mes, events, clock, view},
                 traitRS,
                 [this] { return timeline.now(); }};
    GesRS gesrs{tap.platform(), traitRS};
    std::vector<std::string> lines;

    // As a finished exchange leaves it: COM1 at 9600 baud open, nothing to settle.
    TraceRig()
    {
        gesrs.voie_serie_Select = 1;
        gesrs.Select_Vitesse_9600 = true;
        port.setPortOpen(true);
        Timer_car.setEnabled(false);
        tap.trace().addSink(*this);
    }
    void traceLine(const std::string &line) override { lines.push_back(line); }
    std::string inputTime(std::size_t read) const
    {
        return std::to_string(port.callTimes(PortCall::Input).at(read));
    }
};

std::string at(const std::string &ms)
{
    return std::string(8 - ms.size(), ' ') + ms + " ms  ";
}

TEST(ProtocolTrace, aReplyInPiecesIsOneLineWhenWholeWithThePiecesTimes)
{
    TraceRig rig;
    rig.device.answerNext({{150,
                            "\x06\x02"
                            "A"},
                           {300, "B"},
                           {450,
                            "C\x03"
                            "40"}});
    rig.gesrs.envoicom("LIRE");

    const std::string pieces = rig.inputTime(0) + ", " + rig.inputTime(1) + ", " + rig.inputTime(2);
    ASSERT_EQ(rig.lines.size(), 5u);
    EXPECT_EQ(rig.lines[0], at("0") + "->  02 4C 49 52 45 03 31 32  <STX>LIRE<ETX>12  instruction");
    EXPECT_EQ(rig.lines[1], at(rig.inputTime(0)) + "<-  06  <ACK>");
    EXPECT_EQ(rig.lines[2],
              at(rig.inputTime(2)) + "<-  02 41 42 43 03 34 30  <STX>ABC<ETX>40  " +
                  "checksum juste ; morceaux à " + pieces + " ms");
    EXPECT_EQ(rig.lines[3], at(rig.inputTime(2)) + "->  06  <ACK>  réponse confirmée");
    EXPECT_EQ(rig.lines[4], at(rig.inputTime(2)) + "==  réponse affichée : ABC");
}

struct Case
{
    const char *what;
    std::string answer;                      // the device's, if any, 150 ms after the frame
    std::function<void(TraceRig &)> before;  // what happens before the operator sends LIRE
    std::vector<std::string> linesInOrder;   // each found in a later line than the one before
};

TEST(ProtocolTrace, namesWhatTheToolMadeOfTheLine)
{
    const std::string ack(1, kAck);
    const Case cases[] = {
        {"bad checksum",
         ack + FakeDevice::replyFrame("Z0", "6a"),
         {},
         {"<STX>Z0<ETX>6a  checksum faux (reçu 6a, calculé 6A)",
          "problème affiché : Problème RS232: PB MAUVAIS CHECKSUM"}},
        {"reply cut off",
         ack + kStx + "AB",
         {},
         {"<-  06  <ACK>",
          "<-  02 41 42  <STX>AB  trame incomplète",
          "problème affiché : Problème RS232: ABSENCE DE REPONSE"}},
        {"reply left by a poll",
         "",
         [&](TraceRig &rig) {
             rig.port.deliver(ack + kStx + "AB");
             rig.gesrs.envoicom("WWWW");
             rig.timeline.advance(600);
             rig.port.deliver(ack + buildFrame("Z0"));
             rig.gesrs.envoicom("WWWW");
         },
         {"<-  02 41 42  <STX>AB  trame incomplète", "<STX>Z0<ETX>6A  checksum juste"}},
        {"no ACK",
         "?<" + ack,
         {},
         {"<-  3F 3C  ?<3C>  hors trame",
          "<-  06  <ACK>",
          "problème affiché : Problème RS232: PAS D'ACK RECU"}},
        {"device lost",
         "",
         [](TraceRig &rig) {
             rig.port.failNext(PortCall::Output, comm_errors::kDeviceLost);
             rig.view.choices.push_back(OperatorView::FailureChoice::Cancel);
         },
         {"==  échec du port : erreur 8020 (injected failure)",
          "boîte « Erreur 8020 » : Erreur d'exécution, choix Annuler",
          "<ETX>12  instruction"}},
        {"stalled line",
         "",
         [](TraceRig &rig) {
             rig.port.stallOutput();
             rig.gesrs.envoicom("A");
             rig.timeline.after(50, [&rig] {
                 rig.tap.trace().event(rig.timeline.now(), "ligne reprise");
                 rig.port.stallOutput(false);
             });
         },
         {"problème affiché : Problème RS232: Tampon de transmission plein",
          "file d'envoi vidée ; jamais partis : <STX>A<ETX>41",
          "ligne reprise",
          "<STX>LIRE<ETX>12  instruction"}},
        {"no device",
         "",
         [](TraceRig &rig) {
             rig.port.setPortOpen(false);
             rig.port.failNext(PortCall::SetPortOpen, comm_errors::kDeviceMissing);
         },
         {"==  échec du port : erreur 8005", "==  boîte : Mauvaise liaison série. Erreur : 8005"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TraceRig rig;
        if (c.before)
            c.before(rig);
        if (!c.answer.empty())
            rig.device.answerNext(FakeDevice::whole(c.answer, 150));
        rig.gesrs.envoicom("LIRE");

        auto line = rig.lines.begin();
        for (const std::string &expected : c.linesInOrder) {
            line = std::find_if(line, rig.lines.end(), [&](const std::string &l) {
                return l.find(expected) != std::string::npos;
            });
            ASSERT_NE(line, rig.lines.end()) << "no line with " << expected << " in order in\n"
                                             << ::testing::PrintToString(rig.lines);
            ++line;
        }
    }
}

}  // namespace
