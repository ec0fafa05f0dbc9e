#include "protocol_trace.h"

#include "trace_text.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

ProtocolTrace::MsClock steadyClockFromNow()
{
    const auto start = std::chrono::steady_clock::now();
    return [start] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - start)
            .count();
    };
}

}  // namespace

ProtocolTrace::ProtocolTrace(MsClock now)
    : m_now(now ? std::move(now) : steadyClockFromNow())
{}

void ProtocolTrace::addSink(TraceSink &sink)
{
    if (std::find(m_sinks.begin(), m_sinks.end(), &sink) == m_sinks.end())
        m_sinks.push_back(&sink);
}

void ProtocolTrace::removeSink(TraceSink &sink)
{
    std::erase(m_sinks, &sink);
}

void ProtocolTrace::bytesOnLine(std::int64_t ms,
                                Direction direction,
                                std::string_view bytes,
                                std::string_view verdict)
{
    std::string rest = hexBytes(bytes) + "  " + namedText(bytes);
    if (!verdict.empty())
        rest.append("  ").append(verdict);
    publish(ms, direction == Direction::ToDevice ? "->" : "<-", rest);
}

void ProtocolTrace::event(std::int64_t ms, std::string_view text)
{
    publish(ms, "==", text);
}

void ProtocolTrace::publish(std::int64_t ms, std::string_view marker, std::string_view rest)
{
    char time[32];
    std::snprintf(time, sizeof time, "%8lld ms  ", static_cast<long long>(ms));
    std::string line = time;
    line.append(marker).append("  ").append(rest);
    for (TraceSink *sink : m_sinks)
        sink->traceLine(line);
}
