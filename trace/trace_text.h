#pragma once

#include <string>
#include <string_view>

/// How the trace writes bytes of the line and texts of the engine. Its lines are UTF-8.

/// "02 41 03": two uppercase hexadecimal digits a byte, one space between.
std::string hexBytes(std::string_view bytes);

/// The bytes as text: printable 7-bit characters as they are, the protocol's control characters
/// by name ("<STX>", "<ETX>", "<ACK>"), any other byte as "<1B>".
std::string namedText(std::string_view bytes);

/// An engine text (one byte a character, Latin-1) in UTF-8, for the operator texts it quotes.
std::string latin1ToUtf8(std::string_view text);
