#pragma once

#include "fake_serial_port.h"
#include "virtual_timeline.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

/// The device at the other end of a FakeSerialPort. It reads the frames the engine writes and
/// answers each complete one with the next scripted answer: bytes in pieces, each at a chosen
/// delay after the frame's last character. No answer queued means silence.
class FakeDevice
{
public:
    struct Piece
    {
        std::int64_t afterMs;  // counted from the end of the instruction frame
        std::string bytes;
    };
    using Answer = std::vector<Piece>;

    FakeDevice(FakeSerialPort &port, VirtualTimeline &timeline);

    void answerNext(Answer answer) { m_answers.push_back(std::move(answer)); }

    // Building answers. The device computes its checksums itself.
    /// Two uppercase hexadecimal digits of the text's checksum.
    static std::string digitsFor(std::string_view text);
    /// STX, text, ETX and the given digits: no ACK in front.
    static std::string replyFrame(std::string_view text, std::string_view digits);
    /// ACK and a correct reply frame.
    static std::string goodReply(std::string_view text);
    /// The bytes cut at the given positions; the first piece at firstMs, the others gapMs apart.
    static Answer inPieces(const std::string &bytes,
                           const std::vector<std::size_t> &cuts,
                           std::int64_t firstMs,
                           std::int64_t gapMs);
    static Answer whole(const std::string &bytes, std::int64_t afterMs)
    {
        return {{afterMs, bytes}};
    }

    /// Instruction texts of the frames received, in order, and whether their checksum was right.
    const std::vector<std::string> &instructions() const { return m_instructions; }
    const std::vector<bool> &checksumsGood() const { return m_checksumsGood; }
    /// ACKs the engine wrote outside a frame: its confirmations of good replies.
    int acksReceived() const { return m_acks; }

private:
    void onByte(char c);

    FakeSerialPort &m_port;
    VirtualTimeline &m_timeline;
    std::deque<Answer> m_answers;
    enum class Reading { Idle, Text, HighDigit, LowDigit } m_reading = Reading::Idle;
    std::string m_text;
    std::string m_digits;
    std::vector<std::string> m_instructions;
    std::vector<bool> m_checksumsGood;
    int m_acks = 0;
};
