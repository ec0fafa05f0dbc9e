#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace sim {

/// The ways the simulated device can answer wrongly.
enum class Fault {
    None,         // a correct answer
    BadChecksum,  // uppercase digits that do not match the text
    Lowercase,    // the right digits in lowercase
    NoAck,        // the reply frame without its leading ACK
    NotStx,       // ACK, then "?" where STX belongs
    Silence,      // no answer at all
    CutOff,       // ACK, STX and the first half of the text, then nothing
    Unsolicited,  // a correct answer, then stray bytes once the exchange is over
    Flood,        // random bytes instead of the answer
};

std::string_view faultName(Fault fault);
std::optional<Fault> faultFromName(std::string_view name);

/// Every fault but None, in declaration order.
const std::vector<Fault> &allFaults();

}  // namespace sim
