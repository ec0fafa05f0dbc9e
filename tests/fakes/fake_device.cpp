#include "fake_device.h"

#include <cstdio>

namespace {

constexpr char kStx = '\x02';
constexpr char kEtx = '\x03';
constexpr char kAck = '\x06';

}  // namespace

FakeDevice::FakeDevice(FakeSerialPort &port, VirtualTimeline &timeline)
    : m_port(port)
    , m_timeline(timeline)
{
    m_port.setOutputListener([this](const std::string &bytes) {
        for (const char c : bytes)
            onByte(c);
    });
}

std::string FakeDevice::digitsFor(std::string_view text)
{
    unsigned sum = 0;
    for (const char c : text)
        sum ^= static_cast<unsigned char>(c);
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", sum);
    return digits;
}

std::string FakeDevice::replyFrame(std::string_view text, std::string_view digits)
{
    std::string frame(1, kStx);
    frame += text;
    frame += kEtx;
    frame += digits;
    return frame;
}

std::string FakeDevice::goodReply(std::string_view text)
{
    return kAck + replyFrame(text, digitsFor(text));
}

FakeDevice::Answer FakeDevice::inPieces(const std::string &bytes,
                                        const std::vector<std::size_t> &cuts,
                                        std::int64_t firstMs,
                                        std::int64_t gapMs)
{
    Answer answer;
    std::size_t from = 0;
    std::int64_t at = firstMs;
    for (const std::size_t cut : cuts) {
        answer.push_back({at, bytes.substr(from, cut - from)});
        from = cut;
        at += gapMs;
    }
    answer.push_back({at, bytes.substr(from)});
    return answer;
}

void FakeDevice::onByte(char c)
{
    switch (m_reading) {
    case Reading::Idle:
        if (c == kStx) {
            m_text.clear();
            m_reading = Reading::Text;
        } else if (c == kAck) {
            ++m_acks;
        }
        return;
    case Reading::Text:
        if (c == kEtx) {
            m_digits.clear();
            m_reading = Reading::HighDigit;
        } else {
            m_text += c;
        }
        return;
    case Reading::HighDigit:
        m_digits += c;
        m_reading = Reading::LowDigit;
        return;
    case Reading::LowDigit:
        m_digits += c;
        m_reading = Reading::Idle;
        break;
    }

    m_instructions.push_back(m_text);
    m_checksumsGood.push_back(m_digits == digitsFor(m_text));
    if (m_answers.empty())
        return;
    const std::int64_t frameEnd = m_timeline.now();
    for (const Piece &piece : m_answers.front())
        m_port.deliverAt(frameEnd + piece.afterMs, piece.bytes);
    m_answers.pop_front();
}
