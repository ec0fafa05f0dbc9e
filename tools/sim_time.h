#pragma once

#include <chrono>

namespace sim {

/// Simulator time: microseconds since the simulator started. Fine enough for 1.04 ms characters.
using Micros = std::chrono::microseconds;

/// Line time of one character: start bit, 7 data bits, parity and stop bit.
constexpr Micros characterTime(int baud)
{
    return Micros(10'000'000 / baud);
}

/// The real clock, counted from construction.
class ElapsedClock
{
public:
    Micros now() const
    {
        return std::chrono::duration_cast<Micros>(std::chrono::steady_clock::now() - m_start);
    }

private:
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

}  // namespace sim
