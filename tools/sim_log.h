#pragma once

#include "sim_time.h"

#include <ostream>
#include <string>
#include <string_view>

namespace sim {

/// "02 41 42  |.AB|": the bytes in hex, then as text with anything unprintable shown as a dot.
std::string hexAndText(std::string_view bytes);

/// The simulator's journal: one line per event or byte group, stamped in ms since the start.
class SimLog
{
public:
    explicit SimLog(std::ostream &out)
        : m_out(out)
    {}

    void event(Micros at, std::string_view text);
    void bytesIn(Micros at, std::string_view bytes);
    void bytesOut(Micros at, std::string_view bytes);

private:
    void line(Micros at, std::string_view text);

    std::ostream &m_out;
};

}  // namespace sim
