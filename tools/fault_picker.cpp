#include "fault_picker.h"

#include <utility>

namespace sim {

FaultPicker::FaultPicker(std::vector<Fault> choices, double rate, std::uint32_t seed, bool inTurn)
    : m_choices(std::move(choices))
    , m_rate(rate)
    , m_inTurn(inTurn)
    , m_random(seed)
{}

Fault FaultPicker::next()
{
    if (m_choices.empty()) {
        return Fault::None;
    }
    if (m_inTurn) {
        return m_choices[m_turn++ % m_choices.size()];
    }
    // The draw spans 0 .. 2^32-1, so a rate of 1 is always faulty and 0 never.
    const bool faulty = static_cast<double>(m_random()) < m_rate * 4294967296.0;
    if (!faulty) {
        return Fault::None;
    }
    return m_choices[m_random() % m_choices.size()];
}

}  // namespace sim
