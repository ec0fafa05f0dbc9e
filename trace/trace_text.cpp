#include "trace_text.h"

#include "frame.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void appendHex(std::string &out, unsigned char byte)
{
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0x0F];
}

}  // namespace

std::string hexBytes(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() * 3);
    for (const char c : bytes) {
        if (!out.empty())
            out += ' ';
        appendHex(out, static_cast<unsigned char>(c));
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
        else {
            // "<" itself is written as a code too, so that a name is never mistaken for text.
            out += '<';
            appendHex(out, byte);
            out += '>';
        }
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
