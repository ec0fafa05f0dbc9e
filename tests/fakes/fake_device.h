#pragma once

#include "fake_serial_port.h"
#include "frame.h"
#include "virtual_timeline.h"

#include <deque>
#include <string>
#include <string_view>
#include <vector>

/// The device at the other end of a FakeSerialPort. It reads the frames the engine writes and
/// answers each with the next scripted answer: pieces of bytes, each at a chosen delay after
/// the frame's last character. No answer queued means silence.
class FakeDevice
{
public:
    struct Piece
    {
        std::int64_t afterMs;  // counted from the end of the instruction frame
        std::string bytes;
    };
    using Answer = std::vector<Piece>;

    FakeDevice(FakeSerialPort &port, VirtualTimeline &timeline)
        : m_port(port)
        , m_timeline(timeline)
    {
        port.onOutput = [this](const std::string &bytes) { read(bytes); };
    }

    void answerNext(Answer answer) { m_answers.push_back(std::move(answer)); }

    /// STX, text, ETX and the given digits: no ACK in front.
    static std::string replyFrame(std::string_view text, std::string_view digits)
    {
        return kStx + std::string(text) + kEtx + std::string(digits);
    }
    /// ACK and a correct reply frame.
    static std::string goodReply(std::string_view text) { return kAck + buildFrame(text); }

    /// Instruction texts of the frames received, in order.
    const std::vector<std::string> &instructions() const { return m_instructions; }
    /// ACKs the engine wrote outside a frame: its confirmations of good replies.
    int acksReceived() const { return m_acks; }

private:
    void read(const std::string &bytes)
    {
        for (const char c : bytes) {
            if (m_frame.empty() && c != kStx) {
                m_acks += c == kAck;
                continue;
            }
            m_frame += c;
            const std::size_t etx = m_frame.find(kEtx);
            if (etx == std::string::npos || m_frame.size() < etx + 3)
                continue;  // the frame ends with the two digits after ETX
            m_instructions.push_back(m_frame.substr(1, etx - 1));
            m_frame.clear();
            if (m_answers.empty())
                continue;
            for (const Piece &piece : m_answers.front())
                m_timeline.after(piece.afterMs, [this, b = piece.bytes] { m_port.deliver(b); });
            m_answers.pop_front();
        }
    }

    FakeSerialPort &m_port;
    VirtualTimeline &m_timeline;
    std::deque<Answer> m_answers;
    std::string m_frame;
    std::vector<std::string> m_instructions;
    int m_acks = 0;
};
