#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Control characters of the wire protocol.
constexpr char kStx = '\x02';  // opens the text of a frame
constexpr char kEtx = '\x03';  // closes it; the two checksum digits follow
constexpr char kAck = '\x06';  // the device's acknowledgement, and ours of a good reply

/// Exclusive-or of the 8-bit codes of a frame's text, starting from 0.
std::uint8_t frameChecksum(std::string_view text);

/// The two uppercase hexadecimal digits of a checksum, high nibble first ("0A", never "A" or "0a").
std::string checksumDigits(std::uint8_t checksum);

/// A byte shown to a person in its code rather than as itself (a control character would act on
/// the terminal, or break a line): "<1B>". The trace, the printed replies and the port list agree.
std::string byteCode(std::uint8_t byte);

/// The text with each control character, C1 ones included, written as its byteCode: a device's
/// reply stays one line and cannot drive a terminal. Every other byte passes unchanged.
std::string controlsAsCodes(std::string_view text);

/// STX, the text as given, ETX and the two checksum digits.
std::string buildFrame(std::string_view text);

/// True when the received digits are exactly ours: case matters, so "0a" fails against 0x0A.
bool replyDigitsMatch(std::uint8_t checksum, std::string_view high, char low);
