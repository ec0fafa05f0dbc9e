#include "device_session.h"
#include "line_bytes.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace std::chrono_literals;

// Each script: the bytes that come at each time, then what the device wrote by the last time, and
// lines its journal must hold.
struct Script
{
    sim::SessionSettings settings;
    sim::Fault fault;
    std::vector<std::pair<sim::Micros, std::string>> steps;
    std::string written;
    std::vector<std::string> logged;
};

TEST(DeviceSession, answersEachScriptWithTheseBytesAtTheseTimes)
{
    sim::SessionSettings paced, withTable, stray;
    paced.pacing = sim::Pacing::Simulated;
    paced.characterTime = sim::characterTime(1200);
    withTable.pieceSizes = {3, 2};
    withTable.fixedReply = "ERR";
    withTable.table.add("V", "V12");
    stray.unsolicitedEvery = 500ms;
    const Script scripts[] = {
        // Echoed after the turnaround; then no ACK within the second.
        {{},
         sim::Fault::None,
         {{100ms, "[ABC]40"}, {1050ms, "^"}, {2s, "[ABC]40"}, {4s, ""}},
         "120ms:^[ABC]40 2020ms:^[ABC]40 ",
         {"[    1050.0] ACK reçu\n", "[    3020.0] ACK non reçu dans les 1000 ms"}},
        // 7 characters in at 8.333 ms each, the 20 ms turnaround, then one character at a time.
        {paced,
         sim::Fault::None,
         {{0ms, "[ABC]40"}, {1s, ""}},
         "86ms:^ 94ms:[ 103ms:A 111ms:B 119ms:C 128ms:] 136ms:4 144ms:0 ",
         {}},
        // From the table, else the fixed reply, in pieces with gaps; the second instruction is
        // answered once the first answer is out.
        {withTable,
         sim::Fault::None,
         {{0ms, "[ABC]40"}, {30ms, "[V]56"}, {1s, ""}},
         "20ms:^[E 70ms:RR 120ms:]4 170ms:5 190ms:^[V 240ms:12 290ms:]5 340ms:5 ",
         {"ACK non reçu avant la trame suivante"}},
        // Stray bytes only while idle, and after an exchange; the tool never ACKs: busy until
        // 2420 ms.
        {stray,
         sim::Fault::Unsolicited,
         {{1400ms, "[ABC]40"}, {2600ms, ""}},
         "500ms:xyz 1000ms:xyz 1420ms:^[ABC]40 2440ms:xyz 2500ms:xyz ",
         {}},
        // A frame cut off is abandoned after 2 s, stray bytes and a bad checksum are journalled,
        // and a faulty answer that is ACKed is told.
        {{},
         sim::Fault::BadChecksum,
         {{0ms, "[AB"}, {3s, "zz[ABC]41"}, {4s, "[ABC]40"}, {5s, "^"}},
         "4020ms:^[ABC]41 ",
         {"trame incomplète abandonnée : 02 41 42",
          "] IN  7A 7A  |zz|\n",
          "checksum faux (reçu 41, attendu 40), pas de réponse",
          "[    4020.0] OUT 06 02 41 42 43 03 34 31  |..ABC.41|\n",
          "ACK reçu alors que la réponse était fautive (bad-checksum)"}},
    };
    for (const Script &script : scripts) {
        std::ostringstream journal;
        sim::SimLog log{journal};
        const double rate = script.fault == sim::Fault::None ? 0.0 : 1.0;
        sim::DeviceSession session(script.settings, {{script.fault}, rate, 1}, log);
        // On virtual time, jumping from one wake-up to the next as the real loop sleeps, up to
        // each step's time, when its bytes arrive; what is written piles up, stamped in whole ms.
        std::string written;
        for (const auto &[when, notation] : script.steps) {
            // A session that keeps asking to be woken at a time already handled would spin the
            // real loop.
            int turns = 0;
            for (auto wake = session.nextWake(); wake && *wake <= when && ++turns < 10'000;
                 wake = session.nextWake()) {
                const std::string out = session.advance(*wake);
                written += out.empty() ? "" : std::to_string(*wake / 1ms) + "ms:" + out + " ";
            }
            EXPECT_LT(turns, 10'000) << "the session keeps asking to be woken";
            session.receive(lineBytes(notation), when);
        }
        EXPECT_EQ(written, lineBytes(script.written));
        for (const std::string &line : script.logged)
            EXPECT_NE(journal.str().find(line), std::string::npos) << line << "\n" << journal.str();
    }
}
