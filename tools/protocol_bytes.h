#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sim {

inline constexpr char kStx = '\x02';
inline constexpr char kEtx = '\x03';
inline constexpr char kAck = '\x06';

/// Exclusive-or of the byte codes of a text; 0 for the empty text.
std::uint8_t checksumOf(std::string_view text);

/// The two hexadecimal digits of a checksum, high nibble first.
std::string checksumDigits(std::uint8_t sum, bool lowercase = false);

/// STX, the text, ETX and the given digits, which may be wrong on purpose.
std::string frameWithDigits(std::string_view text, std::string_view digits);

/// A correct frame: STX, the text, ETX and its uppercase checksum digits.
std::string frameOf(std::string_view text);

}  // namespace sim
