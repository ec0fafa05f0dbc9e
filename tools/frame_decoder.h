#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sim {

/// Something recognised on the line: an instruction frame, a lone ACK, or bytes outside a frame.
struct DecodedEvent
{
    enum class Kind { Frame, Ack, Stray };

    Kind kind = Kind::Stray;
    std::string raw;             // the bytes as read, after masking
    std::string text;            // Frame: what lies between STX and ETX
    std::string receivedDigits;  // Frame: the two checksum digits as sent
    std::string expectedDigits;  // Frame: the uppercase digits the text calls for
    bool checksumOk = false;
};

/// Reads instruction frames (STX text ETX high low) out of bytes arriving in any grouping.
class FrameDecoder
{
public:
    explicit FrameDecoder(bool maskTo7Bits)
        : m_maskTo7Bits(maskTo7Bits)
    {}

    /// Events in the order they end; stray bytes are grouped up to the next STX, ACK or chunk end.
    std::vector<DecodedEvent> feed(std::string_view bytes);

    bool inFrame() const { return m_step != Step::Idle; }

    /// Gives up a frame begun but never finished, returning its bytes so far.
    std::string abandon();

private:
    enum class Step { Idle, Text, HighDigit, LowDigit };

    DecodedEvent finishFrame();

    bool m_maskTo7Bits;
    Step m_step = Step::Idle;
    std::string m_raw;
    std::string m_text;
};

}  // namespace sim
