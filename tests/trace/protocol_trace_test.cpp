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

    TraceRig()
    {
        finishedExchange(gesrs);
        gesrs.Select_Vitesse_9600 = true;
        tap.trace().addSink(*this);
    }
    void traceLine(const std::string &line) override { lines.push_back(line); }
};

struct Case
{
    const char *what;
    FakeDevice::Answer answer;               // the device's, if any
    std::function<void(TraceRig &)> before;  // what happens before the operator sends LIRE
    // Each found in a later line than the one before; one with its time is the whole line.
    std::vector<std::string> linesInOrder;
};

TEST(ProtocolTrace, namesWhatTheToolMadeOfTheLine)
{
    const std::string ack(1, kAck);
    const std::string abc = FakeDevice::goodReply("ABC");
    const Case cases[] = {
        // A reply in pieces is one line when whole, with the pieces' times.
        {"reply in pieces",
         {{150, abc.substr(0, 3)}, {300, abc.substr(3, 1)}, {450, abc.substr(4)}},
         {},
         {"       0 ms  ->  02 4C 49 52 45 03 31 32  <STX>LIRE<ETX>12  instruction",
          "     150 ms  <-  06  <ACK>",
          "     450 ms  <-  02 41 42 43 03 34 30  <STX>ABC<ETX>40  checksum juste ; "
          "morceaux à 150, 300, 450 ms",
          "     450 ms  ->  06  <ACK>  réponse confirmée",
          "     450 ms  ==  réponse affichée : ABC"}},
        {"bad checksum",
         {{150, ack + FakeDevice::replyFrame("Z0", "6a")}},
         {},
         {"<STX>Z0<ETX>6a  checksum faux (reçu 6a, calculé 6A)",
          "problème affiché : Problème RS232: PB MAUVAIS CHECKSUM"}},
        {"reply cut off",
         {{150, ack + kStx + "AB"}},
         {},
         {"<-  06  <ACK>",
          "<-  02 41 42  <STX>AB  trame incomplète",
          "problème affiché : Problème RS232: ABSENCE DE REPONSE"}},
        {"reply left by a poll",
         {},
         [&](TraceRig &rig) {
             rig.port.deliver(ack + kStx + "AB");
             rig.gesrs.envoicom("WWWW");
             rig.timeline.advance(600);
             rig.port.deliver(ack + buildFrame("Z0"));
             rig.gesrs.envoicom("WWWW");
         },
         {"<-  02 41 42  <STX>AB  trame incomplète", "<STX>Z0<ETX>6A  checksum juste"}},
        {"no ACK",
         {{150, "?<" + ack}},
         {},
         {"<-  3F 3C  ?<3C>  hors trame",
          "<-  06  <ACK>",
          "problème affiché : Problème RS232: PAS D'ACK RECU"}},
        {"device lost",
         {},
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
         {},
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
        rig.device.answerNext(c.answer);
        rig.gesrs.envoicom("LIRE");

        if (c.linesInOrder.front().front() == ' ') {  // whole lines: nothing else is traced
            EXPECT_EQ(rig.lines.size(), c.linesInOrder.size());
        }
        auto line = rig.lines.begin();
        for (const std::string &expected : c.linesInOrder) {
            line = std::find_if(line, rig.lines.end(), [&](const std::string &l) {
                return expected.front() == ' ' ? l == expected
                                               : l.find(expected) != std::string::npos;
            });
            ASSERT_NE(line, rig.lines.end()) << "no line with " << expected << " in order in\n"
                                             << ::testing::PrintToString(rig.lines);
            ++line;
        }
    }
}

}  // namespace
