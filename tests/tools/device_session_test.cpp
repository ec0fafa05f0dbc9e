#include "device_session.h"
#include "hex_bytes.h"
#include "protocol_bytes.h"

#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <utility>

using sim::DeviceSession;
using sim::Fault;
using sim::FaultPicker;
using sim::Micros;
using sim::SessionSettings;
using namespace std::chrono_literals;

namespace {

struct Write
{
    Micros at;
    std::string bytes;
    bool operator==(const Write &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Write &write)
{
    return out << write.at.count() << "us " << sim::hexAndText(write.bytes);
}

// Drives a session on virtual time: jumps from one wake-up to the next, as the real loop sleeps.
class SessionOnVirtualTime : public testing::Test
{
protected:
    void start(SessionSettings settings, FaultPicker faults = FaultPicker({}, 0.0, 1))
    {
        m_session = std::make_unique<DeviceSession>(std::move(settings), std::move(faults), m_log);
    }

    void receive(const std::string &bytes, Micros at)
    {
        advanceTo(at);
        m_session->receive(bytes, at);
    }

    /// Everything written since the last call, up to and including `end`.
    std::vector<Write> runUntil(Micros end)
    {
        advanceTo(end);
        return std::exchange(m_writes, {});
    }

    bool journalHas(const std::string &text) const
    {
        return m_journal.str().find(text) != std::string::npos;
    }

    static SessionSettings unpaced()
    {
        SessionSettings settings;
        settings.turnaround = 20ms;
        return settings;
    }

    std::ostringstream m_journal;
    sim::SimLog m_log{m_journal};
    std::unique_ptr<DeviceSession> m_session;

private:
    void advanceTo(Micros end)
    {
        for (int turn = 0; turn < 10'000; ++turn) {
            const auto wake = m_session->nextWake();
            if (!wake || *wake > end) {
                m_now = std::max(m_now, end);
                return;
            }
            EXPECT_GE(*wake, m_now) << "a wake-up in the past would spin the real loop";
            m_now = std::max(m_now, *wake);
            const std::string out = m_session->advance(m_now);
            if (!out.empty()) {
                m_writes.push_back({m_now, out});
            }
        }
        ADD_FAILURE() << "the session never stops asking to be woken";
    }

    Micros m_now{0};
    std::vector<Write> m_writes;
};

const std::string kAbcFrame = hexBytes("02 41 42 43 03 34 30");

}  // namespace

TEST_F(SessionOnVirtualTime, echoesAGoodFrameAfterTheTurnaroundAndLogsTheToolsAck)
{
    start(unpaced());
    receive(kAbcFrame, 100ms);
    EXPECT_TRUE(m_session->busy());
    EXPECT_EQ(runUntil(1s), (std::vector<Write>{{120ms, hexBytes("06 02 41 42 43 03 34 30")}}));

    receive(hexBytes("06"), 1050ms);
    EXPECT_TRUE(journalHas("ACK reçu\n"));
    EXPECT_FALSE(m_session->busy());
    EXPECT_EQ(m_session->nextWake(), std::nullopt);
    EXPECT_EQ(m_session->lastActivity(), 1050ms);
}

TEST_F(SessionOnVirtualTime, pacesEachCharacterAtTheLineSpeedAfterTheFrameHasCrossedTheLine)
{
    SessionSettings settings = unpaced();
    settings.pacing = sim::Pacing::Simulated;
    settings.characterTime = sim::characterTime(1200);
    start(settings);
    receive(kAbcFrame, 0ms);

    const std::vector<Write> writes = runUntil(1s);
    ASSERT_EQ(writes.size(), 8u);
    const Micros character = 8333us;
    const Micros frameArrived = 7 * character;
    for (std::size_t i = 0; i < writes.size(); ++i) {
        EXPECT_EQ(writes[i].at, frameArrived + 20ms + character * static_cast<long>(i + 1));
        EXPECT_EQ(writes[i].bytes.size(), 1u);
    }
    std::string all;
    for (const Write &write : writes) {
        all += write.bytes;
    }
    EXPECT_EQ(all, hexBytes("06 02 41 42 43 03 34 30"));
}

TEST_F(SessionOnVirtualTime, sendsPiecesWithGapsTheLastSizeRepeating)
{
    SessionSettings settings = unpaced();
    settings.pieceSizes = {3, 2};
    settings.gap = 50ms;
    start(settings);
    receive(kAbcFrame, 0ms);
    EXPECT_EQ(runUntil(1s),
              (std::vector<Write>{{20ms, hexBytes("06 02 41")},
                                  {70ms, hexBytes("42 43")},
                                  {120ms, hexBytes("03 34")},
                                  {170ms, hexBytes("30")}}));
}

TEST_F(SessionOnVirtualTime, badChecksumIsLoggedAndLeftUnanswered)
{
    start(unpaced());
    receive(hexBytes("02 41 42 43 03 34 31"), 0ms);
    EXPECT_TRUE(runUntil(5s).empty());
    EXPECT_TRUE(journalHas("checksum faux (reçu 41, attendu 40)"));
    EXPECT_FALSE(m_session->busy());
}

TEST_F(SessionOnVirtualTime, missingAckIsLoggedOnceTheWaitIsOver)
{
    SessionSettings settings = unpaced();
    settings.ackTimeout = 1s;
    start(settings);
    receive(kAbcFrame, 0ms);
    runUntil(1019ms);
    EXPECT_FALSE(journalHas("ACK non reçu"));
    EXPECT_TRUE(m_session->busy());
    runUntil(1020ms);
    EXPECT_TRUE(journalHas("ACK non reçu dans les 1000 ms"));
    EXPECT_FALSE(m_session->busy());

    receive(hexBytes("06"), 1500ms);
    EXPECT_TRUE(journalHas("ACK inattendu, ignoré"));
}

TEST_F(SessionOnVirtualTime, anAckForASpoiltAnswerIsFlagged)
{
    start(unpaced(), FaultPicker({Fault::BadChecksum}, 1.0, 1));
    receive(kAbcFrame, 0ms);
    EXPECT_EQ(runUntil(1s), (std::vector<Write>{{20ms, hexBytes("06 02 41 42 43 03 34 31")}}));
    receive(hexBytes("06"), 1s);
    EXPECT_TRUE(journalHas("ACK reçu alors que la réponse était fautive (bad-checksum)"));
}

TEST_F(SessionOnVirtualTime, tableRepliesThenFixedReplyThenEcho)
{
    SessionSettings settings = unpaced();
    settings.table.add("V", "V12");
    settings.fixedReply = "ERR";
    start(settings);
    receive(hexBytes("02 56 03 35 36"), 0ms);
    receive(hexBytes("06 02 41 42 43 03 34 30"), 100ms);
    const std::vector<Write> writes = runUntil(1s);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].bytes, "\x06" + sim::frameOf("V12"));
    EXPECT_EQ(writes[1].bytes, "\x06" + sim::frameOf("ERR"));

    SessionSettings echoing = unpaced();
    echoing.table.add("V", "V12");
    start(echoing);
    receive(kAbcFrame, 2s);
    EXPECT_EQ(runUntil(3s), (std::vector<Write>{{2020ms, "\x06" + kAbcFrame}}));
}

TEST_F(SessionOnVirtualTime, aNewFrameEndsTheAckWaitAndIsAnsweredAfterTheFirstAnswer)
{
    SessionSettings settings = unpaced();
    settings.pieceSizes = {4};
    settings.gap = 100ms;
    start(settings);
    receive(kAbcFrame, 0ms);
    receive(hexBytes("02 56 03 35 36"), 30ms);
    EXPECT_TRUE(journalHas("ACK non reçu avant la trame suivante"));
    EXPECT_EQ(runUntil(1s),
              (std::vector<Write>{{20ms, hexBytes("06 02 41 42")},
                                  {120ms, hexBytes("43 03 34 30")},
                                  {140ms, hexBytes("06 02 56 03")},
                                  {240ms, hexBytes("35 36")}}));
}

TEST_F(SessionOnVirtualTime, unsolicitedBytesComeOnlyWhileIdle)
{
    SessionSettings settings = unpaced();
    settings.unsolicitedEvery = 500ms;
    start(settings);
    EXPECT_EQ(runUntil(1100ms), (std::vector<Write>{{500ms, "xyz"}, {1000ms, "xyz"}}));

    receive(kAbcFrame, 1400ms);  // the tool never ACKs: busy until 2420 ms
    EXPECT_EQ(runUntil(2600ms),
              (std::vector<Write>{{1420ms, "\x06" + kAbcFrame}, {2500ms, "xyz"}}));
    EXPECT_FALSE(m_session->busy());
}

TEST_F(SessionOnVirtualTime, unsolicitedFaultSendsStrayBytesOnceTheExchangeIsOver)
{
    start(unpaced(), FaultPicker({Fault::Unsolicited}, 1.0, 1));
    receive(kAbcFrame, 0ms);
    EXPECT_EQ(runUntil(100ms), (std::vector<Write>{{20ms, "\x06" + kAbcFrame}}));
    receive(hexBytes("06"), 100ms);
    EXPECT_EQ(runUntil(5s), (std::vector<Write>{{120ms, "xyz"}}));
}

TEST_F(SessionOnVirtualTime, anUnfinishedFrameIsAbandonedSoTheNextOneIsRead)
{
    SessionSettings settings = unpaced();
    settings.frameTimeout = 2s;
    start(settings);
    receive(hexBytes("02 41 42"), 0ms);
    EXPECT_TRUE(m_session->busy());
    runUntil(2s);
    EXPECT_TRUE(journalHas("trame incomplète abandonnée : 02 41 42"));
    receive(hexBytes("02 56 03 35 36"), 3s);
    EXPECT_EQ(runUntil(4s), (std::vector<Write>{{3020ms, hexBytes("06 02 56 03 35 36")}}));
}

TEST_F(SessionOnVirtualTime, journalShowsBytesBothWaysInHexAndText)
{
    start(unpaced());
    receive("zz" + kAbcFrame, 0ms);
    runUntil(1s);
    EXPECT_TRUE(journalHas("] IN  7A 7A  |zz|\n"));
    EXPECT_TRUE(journalHas("octets hors trame ignorés"));
    EXPECT_TRUE(journalHas("] IN  02 41 42 43 03 34 30  |.ABC.40|\n"));
    EXPECT_TRUE(journalHas("[      20.0] OUT 06 02 41 42 43 03 34 30  |..ABC.40|\n"));
    EXPECT_FALSE(journalHas("8e bit"));

    // A tool that lets an 8-bit character out must be caught: the line would change it silently.
    receive(hexBytes("02 72 E9 67 6C E9 03 37 39"), 2s);
    EXPECT_TRUE(journalHas("2 octet(s) avec le 8e bit : perdu sur une ligne 7 bits"));
    EXPECT_TRUE(journalHas("trame reçue \"rigli\" : checksum correct"));
}
