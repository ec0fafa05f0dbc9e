#include "frame.h"

std::uint8_t frameChecksum(std::string_view text)
{
    std::uint8_t checksum = 0;
    for (const char c : text)
        checksum ^= static_cast<std::uint8_t>(c);
    return checksum;
}

std::string checksumDigits(std::uint8_t checksum)
{
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    return {kHexDigits[checksum >> 4], kHexDigits[checksum & 0x0F]};
}

std::string byteCode(std::uint8_t byte)
{
    return '<' + checksumDigits(byte) + '>';
}

std::string controlsAsCodes(std::string_view text)
{
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0))
            shown += byteCode(byte);
        else
            shown += c;
    }
    return shown;
}

std::string buildFrame(std::string_view text)
{
    std::string frame;
    frame.reserve(text.size() + 4);
    frame += kStx;
    frame += text;
    frame += kEtx;
    frame += checksumDigits(frameChecksum(text));
    return frame;
}

bool replyDigitsMatch(std::uint8_t checksum, std::string_view high, char low)
{
    const std::string expected = checksumDigits(checksum);
    return high.size() == 1 && high[0] == expected[0] && low == expected[1];
}
