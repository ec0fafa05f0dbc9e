#include "sim_log.h"

#include <cstdio>

namespace sim {

std::string hexAndText(std::string_view bytes)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string hex;
    std::string text;
    for (const char c : bytes) {
        const auto code = static_cast<unsigned char>(c);
        if (!hex.empty()) {
            hex += ' ';
        }
        hex += kHex[code >> 4];
        hex += kHex[code & 0x0F];
        text += (code >= 0x20 && code < 0x7F) ? c : '.';
    }
    return hex + "  |" + text + "|";
}

void SimLog::event(Micros at, std::string_view text)
{
    line(at, text);
}

void SimLog::bytesIn(Micros at, std::string_view bytes)
{
    line(at, "IN  " + hexAndText(bytes));
}

void SimLog::bytesOut(Micros at, std::string_view bytes)
{
    line(at, "OUT " + hexAndText(bytes));
}

void SimLog::line(Micros at, std::string_view text)
{
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "[%10.1f] ", static_cast<double>(at.count()) / 1000.0);
    // Flushed line by line: tests and people watch the journal while the simulator runs.
    m_out << stamp << text << '\n' << std::flush;
}

}  // namespace sim
