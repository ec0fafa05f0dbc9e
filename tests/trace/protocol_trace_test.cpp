// The trace lines of real exchanges: the engine on the virtual timeline, the tap around it.
#include "engine_rig.h"
#include "trace_tap.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <stdlib.h>

namespace {

/// The lines are read from those the trace keeps, as a window opened later shows them.
struct TraceRig : EngineFakes
{
    TraceTap tap{
        GesRSPlatform{port, Time_Wait, Timer_car, Timer_mes, *this, *this, *this},
        traitRS,
        [this] { return timeline.now(); },
        [] { return std::chrono::system_clock::time_point(std::chrono::milliseconds(1234)); }};
    GesRS gesrs{tap.platform(), traitRS};

    TraceRig()
    {
        finishedExchange(gesrs);
        gesrs.Select_Vitesse_9600 = true;
    }
};

using Before = std::function<void(TraceRig &)>;  // what happens before the operator sends LIRE

TEST(ProtocolTrace, namesWhatTheToolMadeOfTheLine)
{
    const std::string ack(1, kAck);
    // A comma and a quote, which the journal must quote.
    const std::string abc = FakeDevice::goodReply("A,\"");
    // What happens, the device's answer if any, what happens before, the lines each found in a
    // later line than the one before (one with its time is the whole line), and how the
    // journal's line for LIRE ends.
    const std::tuple<const char *, FakeDevice::Answer, Before, Texts, std::string> cases[] = {
        // A reply in pieces is one line when whole, with the pieces' times.
        {"reply in pieces",
         {{150, abc.substr(0, 3)}, {300, abc.substr(3, 1)}, {450, abc.substr(4)}},
         {},
         {"       0 ms  ->  02 4C 49 52 45 03 31 32  <STX>LIRE<ETX>12  instruction",
          "     150 ms  <-  06  <ACK>",
          "     450 ms  <-  02 41 2C 22 03 34 46  <STX>A,\"<ETX>4F  checksum juste ; "
          "morceaux à 150, 300, 450 ms",
          "     450 ms  ->  06  <ACK>  réponse confirmée",
          "     450 ms  ==  réponse affichée : A,\""},
         "réponse,\"A,\"\"\""},
        {"bad checksum",
         {{150, ack + FakeDevice::replyFrame("Z0", "6a")}},
         {},
         {"<STX>Z0<ETX>6a  checksum faux (reçu 6a, calculé 6A)",
          "problème affiché : Problème RS232: PB MAUVAIS CHECKSUM"},
         "problème,PB MAUVAIS CHECKSUM"},
        // A reply a poll left is given up after its silence; LIRE's own, cut off, at the report.
        {"replies cut off",
         {{150, ack + kStx + "CD"}},
         [&](TraceRig &rig) {
             rig.port.deliver(ack + kStx + "AB");
             rig.gesrs.envoicom("WWWW");
             rig.timeline.advance(600);
             rig.port.deliver(ack + buildFrame("Z0"));
             rig.gesrs.envoicom("WWWW");
         },
         {"<-  02 41 42  <STX>AB  trame incomplète",
          "<STX>Z0<ETX>6A  checksum juste",
          "<-  06  <ACK>",
          "<-  02 43 44  <STX>CD  trame incomplète",
          "problème affiché : Problème RS232: ABSENCE DE REPONSE"},
         "problème,ABSENCE DE REPONSE"},
        {"no ACK",
         {{150, "?<" + ack}},
         {},
         {"<-  3F 3C  ?<3C>  hors trame", "problème affiché : Problème RS232: PAS D'ACK RECU"},
         "problème,PAS D'ACK RECU"},
        {"device lost",
         {},
         [](TraceRig &rig) {
             rig.port.failNext(PortCall::Output, comm_errors::kDeviceLost);
             rig.choices.push_back(OperatorView::FailureChoice::Cancel);
         },
         {"==  échec du port : erreur 8020 (injected failure)",
          "boîte « Erreur 8020 » : Erreur d'exécution, choix Annuler",
          "<ETX>12  instruction"},
         "échec,8020"},
        {"stalled line",
         {},
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
          "<STX>LIRE<ETX>12  instruction"},
         "problème,ABSENCE DE REPONSE"},
        {"no device",
         {},
         [](TraceRig &rig) {
             rig.port.setPortOpen(false);
             rig.port.failNext(PortCall::SetPortOpen, comm_errors::kDeviceMissing);
         },
         {"==  échec du port : erreur 8005", "==  boîte : Mauvaise liaison série. Erreur : 8005"},
         "échec,8005"},
    };
    const auto journalPath = std::filesystem::path(testing::TempDir()) / "journal.csv";
    // Local time 1 h 30 ahead of UTC, the wall clock 1.234 s past the epoch.
    ::setenv("TZ", "<+0130>-1:30", 1);
    ::tzset();
    for (const auto &[what, answer, before, linesInOrder, journalOutcome] : cases) {
        SCOPED_TRACE(what);
        TraceRig rig;
        std::filesystem::remove(journalPath);
        rig.tap.journal().setDevicePaths({"/dev/serial,1"});  // a comma: quoted in the journal
        ASSERT_TRUE(rig.tap.journal().open(journalPath));
        if (before)
            before(rig);
        rig.device.answerNext(answer);
        rig.tap.journal().beginExchange("LIRE", 1, true);
        rig.gesrs.envoicom("LIRE");
        rig.tap.journal().endExchange();

        std::ostringstream journal;
        journal << std::ifstream(journalPath).rdbuf();
        EXPECT_EQ(journal.str(),
                  "heure,port,chemin,vitesse,instruction,issue,texte\r\n"
                  "1970-01-01T01:30:01.234+01:30,COM1,\"/dev/serial,1\",9600,LIRE," +
                      journalOutcome + "\r\n");

        const std::vector<std::string> lines = rig.tap.trace().keptLines();
        if (linesInOrder.front().front() == ' ') {  // whole lines: nothing else is traced
            EXPECT_EQ(lines.size(), linesInOrder.size());
        }
        auto line = lines.begin();
        for (const std::string &expected : linesInOrder) {
            line = std::find_if(line, lines.end(), [&](const std::string &l) {
                return expected.front() == ' ' ? l == expected
                                               : l.find(expected) != std::string::npos;
            });
            ASSERT_NE(line, lines.end()) << "no line with " << expected << " in order in\n"
                                         << ::testing::PrintToString(lines);
            ++line;
        }
    }
}

TEST(ProtocolTrace, keepsItsNewestLinesWithinBothBoundsWithoutAnyoneListening)
{
    const std::pair<std::size_t, std::size_t> rows[] = {{1, ProtocolTrace::kKeptLines},
                                                        {64 * 1024, 31}};  // of 2 MB
    for (const auto &[size, keptLines] : rows) {
        SCOPED_TRACE(size);
        ProtocolTrace trace([] { return 3; });
        const std::size_t count = ProtocolTrace::kKeptLines + 5;
        for (std::size_t i = 0; i < count; ++i)
            trace.event(3, std::string(size, '.') + std::to_string(i));

        const std::vector<std::string> kept = trace.keptLines();
        ASSERT_EQ(kept.size(), keptLines);
        EXPECT_TRUE(kept.front().ends_with("." + std::to_string(count - keptLines)));
    }
}

TEST(ExchangeJournal, saysOnceThatItCannotOpenOrWriteAndKeepsWhatItCouldNotWrite)
{
    // The path, what is said after two exchanges then once closed, and what stays unwritten.
    const std::tuple<const char *, std::vector<std::string>, std::size_t> rows[] = {
        {"/nonexistent-comrs232/journal.csv", {"ouverture impossible"}, 0},
        {"/dev/full", {"écriture impossible", "2 échange(s) non enregistré(s), recopiés"}, 2}};
    for (const auto &[path, expected, unwritten] : rows) {
        SCOPED_TRACE(path);
        std::vector<std::string> said;
        ExchangeJournal journal;
        journal.setComplaint([&said](const std::string &text) { said.push_back(text); });
        journal.open(path);
        for (const char *instruction : {"A", "B"}) {
            journal.beginExchange(instruction, 1, false);
            journal.noteReply(instruction);
            journal.endExchange();
        }
        EXPECT_EQ(journal.unwritten(), unwritten);
        journal.close();

        ASSERT_EQ(said.size(), expected.size()) << testing::PrintToString(said);
        for (std::size_t i = 0; i < said.size(); ++i)
            EXPECT_NE(said[i].find(expected[i]), std::string::npos) << said[i];
    }
}

}  // namespace
