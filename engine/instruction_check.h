#pragma once

#include <cstddef>
#include <string>

/// The longest frame the line takes in one go: the component's transmit buffer.
constexpr std::size_t kTransmitBufferSize = 512;

/// Why an instruction cannot go out on the line, as the problem text the operator is shown,
/// or "" when it can. A refused instruction never reaches the line.
std::string instructionRefusal(const std::string &instruction);
