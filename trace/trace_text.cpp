#include "trace_text.h"

#include "frame.h"

std::string hexBytes(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() * 3);
    for (const char c : bytes) {
        if (!out.empty())
            out += ' ';
        out += checksumDigits(static_cast<std::uint8_t>(c));
    }
    return out;
}

std::string namedText(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == kStx)
            out += "<STX>";
        else if (c == kEtx)
            out += "<ETX>";
        else if (c == kAck)
            out += "<ACK>";
        else if (byte >= 0x20 && byte < 0x7F && c != '<')
            out += c;
        else  // "<" itself is written as a code too, so that a name is never mistaken for text.
            out += byteCode(byte);
    }
    return out;
}

std::string latin1ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}
