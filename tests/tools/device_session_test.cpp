#include "device_session.h"
#include "line_bytes.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace std::chrono_literals;

// A session on virtual time, jumping from one wake-up to the next as the real loop sleeps.
struct VirtualDevice
{
    explicit VirtualDevice(sim::SessionSettings settings = {}, sim::Fault fault = sim::Fault::None)
        : session(std::move(settings), {{fault}, fault == sim::Fault::None ? 0.0 : 1.0, 1}, log)
    {}

    // Runs up to `when`, then the bytes arrive; what is written piles up, stamped in whole ms.
    // A session that keeps asking to be woken at a time already handled would spin the real loop.
    void at(sim::Micros when, const std::string &notation = "")
    {
        int turns = 0;
        for (auto wake = session.nextWake(); wake && *wake <= when && ++turns < 10'000;
             wake = session.nextWake()) {
            const std::string out = session.advance(*wake);
            written += out.empty() ? "" : std::to_string(*wake / 1ms) + "ms:" + out + " ";
        }
        EXPECT_LT(turns, 10'000) << "the session keeps asking to be woken";
        session.receive(lineBytes(notation), when);
    }

    bool logged(const std::string &text) { return journal.str().find(text) != std::string::npos; }

    std::ostringstream journal;
    sim::SimLog log{journal};
    sim::DeviceSession session;
    std::string written;
};

TEST(DeviceSession, echoesAfterTheTurnaroundAndLogsWhetherTheToolAcked)
{
    VirtualDevice device;
    device.at(100ms, "[ABC]40");
    device.at(1050ms, "^");
    EXPECT_EQ(device.written, lineBytes("120ms:^[ABC]40 "));
    EXPECT_TRUE(device.logged("ACK reçu\n"));
    EXPECT_EQ(device.session.nextWake(), std::nullopt);
    device.at(2s, "[ABC]40");
    device.at(4s);
    EXPECT_TRUE(device.logged("[    3020.0] ACK non reçu dans les 1000 ms"));
}

TEST(DeviceSession, pacesEachCharacterOnceTheFrameHasCrossedTheLine)
{
    sim::SessionSettings settings;
    settings.pacing = sim::Pacing::Simulated;
    settings.characterTime = sim::characterTime(1200);
    VirtualDevice device(settings);
    device.at(0ms, "[ABC]40");
    device.at(1s);
    // 7 characters in at 8.333 ms each, the 20 ms turnaround, then one character at a time.
    EXPECT_EQ(device.written,
              lineBytes("86ms:^ 94ms:[ 103ms:A 111ms:B 119ms:C 128ms:] 136ms:4 144ms:0 "));
}

TEST(DeviceSession, answersFromTheTableElseWithTheFixedReplyInPiecesWithGaps)
{
    sim::SessionSettings settings;
    settings.pieceSizes = {3, 2};
    settings.fixedReply = "ERR";
    settings.table.add("V", "V12");
    VirtualDevice device(settings);
    device.at(0ms, "[ABC]40");
    device.at(30ms, "[V]56");  // answered once the first answer is out
    device.at(1s);
    EXPECT_TRUE(device.logged("ACK non reçu avant la trame suivante"));
    EXPECT_EQ(device.written,
              lineBytes("20ms:^[E 70ms:RR 120ms:]4 170ms:5 190ms:^[V 240ms:12 290ms:]5 340ms:5 "));
}

TEST(DeviceSession, sendsStrayBytesOnlyWhileIdleAndAfterAnExchangeWhenAsked)
{
    sim::SessionSettings settings;
    settings.unsolicitedEvery = 500ms;
    VirtualDevice device(settings, sim::Fault::Unsolicited);
    device.at(1400ms, "[ABC]40");  // the tool never ACKs: busy until 2420 ms
    device.at(2600ms);
    EXPECT_EQ(device.written,
              "500ms:xyz 1000ms:xyz " + lineBytes("1420ms:^[ABC]40 2440ms:xyz 2500ms:xyz "));
}

TEST(DeviceSession, journalsBytesBothWaysAndWhatIsWrongWithThem)
{
    VirtualDevice device({}, sim::Fault::BadChecksum);
    device.at(0ms, "[AB");  // abandoned after 2 s, so the next frame is read
    device.at(3s, "zz[ABC]41");
    device.at(4s, "[ABC]40");
    device.at(5s, "^");
    EXPECT_EQ(device.written, lineBytes("4020ms:^[ABC]41 "));
    for (const char *line : {"trame incomplète abandonnée : 02 41 42",
                             "] IN  7A 7A  |zz|\n",
                             "checksum faux (reçu 41, attendu 40), pas de réponse",
                             "[    4020.0] OUT 06 02 41 42 43 03 34 31  |..ABC.41|\n",
                             "ACK reçu alors que la réponse était fautive (bad-checksum)"}) {
        EXPECT_TRUE(device.logged(line)) << line << "\n" << device.journal.str();
    }
}
