#include "frame_decoder.h"

#include "protocol_bytes.h"

#include <utility>

namespace sim {

std::vector<DecodedEvent> FrameDecoder::feed(std::string_view bytes)
{
    std::vector<DecodedEvent> events;
    DecodedEvent stray;
    const auto flushStray = [&] {
        if (!stray.raw.empty()) {
            events.push_back(std::move(stray));
            stray = DecodedEvent{};
        }
    };

    for (const char received : bytes) {
        // A 7-bit line cannot carry the top bit: the device never sees it.
        const char c = m_maskTo7Bits ? static_cast<char>(received & 0x7F) : received;
        switch (m_step) {
        case Step::Idle:
            if (c == kStx) {
                flushStray();
                m_raw.assign(1, c);
                m_text.clear();
                m_step = Step::Text;
            } else if (c == kAck) {
                flushStray();
                DecodedEvent ack;
                ack.kind = DecodedEvent::Kind::Ack;
                ack.raw.assign(1, c);
                events.push_back(std::move(ack));
            } else {
                stray.raw += c;
            }
            break;
        case Step::Text:
            // Only ETX ends the text: any other code, STX included, belongs to it.
            m_raw += c;
            if (c == kEtx) {
                m_step = Step::HighDigit;
            } else {
                m_text += c;
            }
            break;
        case Step::HighDigit:
            m_raw += c;
            m_step = Step::LowDigit;
            break;
        case Step::LowDigit:
            m_raw += c;
            events.push_back(finishFrame());
            break;
        }
    }
    flushStray();
    return events;
}

std::string FrameDecoder::abandon()
{
    std::string partial = std::exchange(m_raw, {});
    m_text.clear();
    m_step = Step::Idle;
    return partial;
}

DecodedEvent FrameDecoder::finishFrame()
{
    DecodedEvent frame;
    frame.kind = DecodedEvent::Kind::Frame;
    frame.raw = std::exchange(m_raw, {});
    frame.text = std::exchange(m_text, {});
    frame.receivedDigits = frame.raw.substr(frame.raw.size() - 2);
    frame.expectedDigits = checksumDigits(checksumOf(frame.text));
    frame.checksumOk = frame.receivedDigits == frame.expectedDigits;
    m_step = Step::Idle;
    return frame;
}

}  // namespace sim
