#pragma once

#include <cstddef>
#include <string>
#include <string_view>

/// The longest frame the line takes in one go: the component's transmit buffer.
constexpr std::size_t kTransmitBufferSize = 512;

/// The text that asks the exchange for a poll of the line instead of sending a frame.
constexpr std::string_view kPollInstruction = "WWWW";

/// True when every character is printable ASCII, space to '~': the one rule for what an
/// instruction may hold, whichever way it comes.
bool isTransmittable(std::string_view instruction);

/// Why an instruction cannot go out on the line, as the problem text the operator is shown,
/// or "" when it can. A refused instruction never reaches the line.
std::string instructionRefusal(const std::string &instruction);
