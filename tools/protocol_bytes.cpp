#include "protocol_bytes.h"

namespace sim {

std::uint8_t checksumOf(std::string_view text)
{
    std::uint8_t sum = 0;
    for (const char c : text) {
        sum ^= static_cast<std::uint8_t>(c);
    }
    return sum;
}

std::string checksumDigits(std::uint8_t sum, bool lowercase)
{
    const char *digits = lowercase ? "0123456789abcdef" : "0123456789ABCDEF";
    return {digits[sum >> 4], digits[sum & 0x0F]};
}

std::string frameWithDigits(std::string_view text, std::string_view digits)
{
    std::string frame;
    frame.reserve(text.size() + 2 + digits.size());
    frame += kStx;
    frame += text;
    frame += kEtx;
    frame += digits;
    return frame;
}

std::string frameOf(std::string_view text)
{
    return frameWithDigits(text, checksumDigits(checksumOf(text)));
}

}  // namespace sim
