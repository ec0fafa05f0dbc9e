#pragma once

#include <string>
#include <string_view>

/// The engine's one-byte-per-character form of a Latin-1 text written in UTF-8 in a test, so
/// that expected operator texts read as the operator sees them.
inline std::string latin1(std::string_view utf8)
{
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        out += static_cast<char>(c < 0x80 ? c : ((c & 0x1F) << 6) | (utf8[++i] & 0x3F));
    }
    return out;
}

/// The problem label's caption for a problem text.
inline std::string problem(std::string_view text)
{
    return latin1("Problème RS232: ") + std::string(text);
}
