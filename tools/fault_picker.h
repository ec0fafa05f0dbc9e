#pragma once

#include "fault.h"

#include <cstdint>
#include <random>
#include <vector>

namespace sim {

/// Chooses the fault of each answer. The generator is the standard's mt19937 and the draws are
/// plain integer arithmetic, so a seed gives the same faults on every platform.
class FaultPicker
{
public:
    /// rate: the chance, 0 to 1, that an answer is faulty; the fault is drawn among choices.
    /// inTurn: no draw, the choices come one after another, then again from the first.
    FaultPicker(std::vector<Fault> choices, double rate, std::uint32_t seed, bool inTurn = false);

    Fault next();

    /// The same generator, for the random bytes of a flood.
    std::mt19937 &random() { return m_random; }

private:
    std::vector<Fault> m_choices;
    double m_rate;
    bool m_inTurn;
    std::size_t m_turn = 0;
    std::mt19937 m_random;
};

}  // namespace sim
