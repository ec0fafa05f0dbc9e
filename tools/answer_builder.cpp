#include "answer_builder.h"

#include "protocol_bytes.h"

namespace sim {

namespace {

bool hasLetterDigit(std::uint8_t sum)
{
    return (sum >> 4) >= 10 || (sum & 0x0F) >= 10;
}

// Lowercase digits only show when a digit is a letter. Among A..Z the low nibbles run through all
// sixteen values, so one of them always turns the low digit into A..F.
char letterGivingLetterDigit(std::uint8_t sum)
{
    for (char c = 'A'; c <= 'Z'; ++c) {
        if (hasLetterDigit(sum ^ static_cast<std::uint8_t>(c))) {
            return c;
        }
    }
    return 'J';
}

std::string floodBytes(std::mt19937 &random, std::size_t size)
{
    std::string bytes;
    bytes.reserve(size);
    while (bytes.size() < size) {
        const auto c = static_cast<char>(random() & 0x7F);
        // A flood starting with ACK would sometimes pass for the start of an answer; it must not.
        if (bytes.empty() && c == kAck) {
            continue;
        }
        bytes += c;
    }
    return bytes;
}

}  // namespace

Answer
buildAnswer(std::string_view replyText, Fault fault, std::mt19937 &random, std::size_t floodSize)
{
    Answer answer;
    answer.text = replyText;
    const std::uint8_t sum = checksumOf(answer.text);
    const std::string ack(1, kAck);

    switch (fault) {
    case Fault::None:
        answer.bytes = ack + frameOf(answer.text);
        break;
    case Fault::Unsolicited:
        answer.bytes = ack + frameOf(answer.text);
        answer.strayAfter = true;
        break;
    case Fault::BadChecksum:
        answer.bytes = ack + frameWithDigits(answer.text, checksumDigits(sum ^ 0x01));
        break;
    case Fault::Lowercase:
        if (!hasLetterDigit(sum)) {
            answer.text += letterGivingLetterDigit(sum);
        }
        answer.bytes =
            ack + frameWithDigits(answer.text, checksumDigits(checksumOf(answer.text), true));
        break;
    case Fault::NoAck:
        answer.bytes = frameOf(answer.text);
        break;
    case Fault::NotStx:
        answer.bytes = ack + frameOf(answer.text);
        answer.bytes[1] = '?';
        break;
    case Fault::Silence:
        break;
    case Fault::CutOff:
        answer.bytes = ack + kStx + answer.text.substr(0, answer.text.size() / 2);
        break;
    case Fault::Flood:
        answer.bytes = floodBytes(random, floodSize);
        break;
    }
    return answer;
}

}  // namespace sim
