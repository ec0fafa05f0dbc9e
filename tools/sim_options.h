#pragma once

#include "fault.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

/// The simulator's command line.
struct SimOptions
{
    std::string device;  // empty: a new pseudo-terminal
    std::string link;
    int baud = 1200;
    bool pacing = true;
    bool mask = true;
    int turnaroundMs = 20;
    int gapMs = 50;
    int ackTimeoutMs = 8000;
    std::optional<std::string> reply;
    std::string tablePath;
    std::vector<std::size_t> pieces;
    std::vector<Fault> faults;
    std::optional<double> faultRate;
    bool faultsInTurn = false;
    std::uint32_t seed = 1;
    int unsolicitedEveryMs = 0;
    std::size_t floodSize = 400;
    int exitAfterIdleSec = 0;  // 0: never
    bool help = false;
};

struct ParsedOptions
{
    SimOptions options;
    std::string error;  // empty when the command line is good
};

/// Options take their value as "--name value" or "--name=value".
ParsedOptions parseOptions(const std::vector<std::string> &arguments);

/// The faults to draw from and the chance of a faulty answer, as the options mean them.
std::vector<Fault> faultChoices(const SimOptions &options);
double faultRate(const SimOptions &options);

std::string helpText();

}  // namespace sim
