#pragma once

#include "fault.h"
#include "fault_picker.h"
#include "frame_decoder.h"
#include "reply_table.h"
#include "sim_log.h"
#include "sim_time.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

/// How what the device sends is spread over time.
enum class Pacing {
    None,       // every piece goes out whole at its start
    Simulated,  // one character per character time, each written once its stop bit would have
                // crossed; an incoming frame also counts its line time before it is answered
    Hardware,   // a real port paces itself: pieces go out whole, but gaps count from their line end
};

struct SessionSettings
{
    Pacing pacing = Pacing::None;
    Micros characterTime{0};  // line time of one character; unused with Pacing::None
    Micros turnaround{20'000};
    Micros gap{50'000};
    Micros ackTimeout{1'000'000};
    Micros unsolicitedEvery{0};  // 0: never
    Micros frameTimeout{2'000'000};
    std::vector<std::size_t> pieceSizes;  // empty: the answer in one piece
    bool maskTo7Bits = true;
    std::size_t floodSize = 400;
    std::optional<std::string> fixedReply;  // with a table: the reply to instructions it lacks
    ReplyTable table;
};

/// The device's side of the protocol, on a clock handed in by the caller, so that it runs the
/// same under the real clock and in tests. The caller feeds what it reads, asks for what is due,
/// and sleeps until nextWake().
class DeviceSession
{
public:
    DeviceSession(SessionSettings settings, FaultPicker faults, SimLog &log);

    void receive(std::string_view bytes, Micros now);

    /// Handles what has fallen due and returns the bytes to write now, in order.
    std::string advance(Micros now);

    /// When advance() next has something to do; nothing when only input can wake the device.
    std::optional<Micros> nextWake() const;

    /// A frame is arriving, an answer is on its way out, or the tool's ACK is awaited.
    bool busy() const;

    /// The last byte received or the end of the last answer; stray bytes sent do not count.
    Micros lastActivity() const { return m_lastActivity; }

private:
    struct Piece
    {
        Micros start;
        std::string bytes;
        std::size_t sent = 0;
        bool partOfAnswer = true;
    };
    struct AckWait
    {
        Micros deadline;
        Fault fault;
        bool strayAfter;
    };

    void onFrame(const DecodedEvent &frame, Micros arrival, Micros now);
    void onAck(Micros now);
    void answer(const std::string &instruction, Micros arrival, Micros now);
    std::string replyFor(const std::string &instruction, Micros now);
    void endExchange(Micros now);
    Micros schedule(Micros start, std::string bytes, bool partOfAnswer);
    Micros pieceEnd(const Piece &piece) const;
    Micros dueTime(const Piece &piece, std::size_t index) const;
    std::size_t dueCount(const Piece &piece, Micros now) const;

    SessionSettings m_settings;
    FaultPicker m_faults;
    SimLog &m_log;
    FrameDecoder m_decoder;
    std::deque<Piece> m_pieces;
    std::optional<AckWait> m_ackWait;
    Micros m_lineFreeAt{0};   // when what is scheduled so far has left the line
    Micros m_inputFreeAt{0};  // when what has been read would have crossed a real line
    Micros m_lastInput{0};
    Micros m_lastActivity{0};
    Micros m_nextUnsolicited{0};
};

}  // namespace sim
