#pragma once

#include <string>
#include <string_view>

/// The engine's one-byte-per-character form of a text written in UTF-8 in a test, so that
/// expected operator texts read as the operator sees them. Only Latin-1 characters are expected.
inline std::string latin1(std::string_view utf8)
{
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80 || i + 1 == utf8.size()) {
            out += static_cast<char>(c);
            continue;
        }
        const auto next = static_cast<unsigned char>(utf8[++i]);
        out += static_cast<char>(((c & 0x1F) << 6) | (next & 0x3F));
    }
    return out;
}
