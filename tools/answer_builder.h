#pragma once

#include "fault.h"

#include <cstddef>
#include <random>
#include <string>
#include <string_view>

namespace sim {

/// Stray bytes the device sends out of turn.
inline constexpr std::string_view kStrayBytes = "xyz";

/// What the device sends back for one instruction.
struct Answer
{
    std::string text;         // the reply text the frame carries
    std::string bytes;        // everything sent, from the ACK to the last digit; empty for silence
    bool strayAfter = false;  // stray bytes follow once the exchange is over
};

/// The answer carrying replyText, spoilt as the fault says. A flood draws its bytes from random.
Answer
buildAnswer(std::string_view replyText, Fault fault, std::mt19937 &random, std::size_t floodSize);

}  // namespace sim
