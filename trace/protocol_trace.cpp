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
    publish({ms,
             direction == Direction::ToDevice ? Kind::ToDevice : Kind::FromDevice,
             std::string(bytes),
             std::string(verdict)});
}

void ProtocolTrace::event(std::int64_t ms, std::string_view text)
{
    publish({ms, Kind::Event, std::string(text), {}});
}

std::vector<std::string> ProtocolTrace::keptLines() const
{
    std::vector<std::string> lines;
    lines.reserve(m_kept.size());
    for (const Record &record : m_kept)
        lines.push_back(format(record));
    return lines;
}

void ProtocolTrace::publish(Record record)
{
    if (!m_sinks.empty()) {
        const std::string line = format(record);
        for (TraceSink *sink : m_sinks)
            sink->traceLine(line);
    }
    m_keptBytes += weight(record);
    m_kept.push_back(std::move(record));
    while (m_kept.size() > kKeptLines || (m_keptBytes > kKeptBytes && m_kept.size() > 1)) {
        m_keptBytes -= weight(m_kept.front());
        m_kept.pop_front();
    }
}

std::string ProtocolTrace::format(const Record &record)
{
    char time[32];
    std::snprintf(time, sizeof time, "%8lld ms  ", static_cast<long long>(record.ms));
    std::string line = time;
    if (record.kind == Kind::Event)
        return line.append("==  ").append(record.bytes);
    line.append(record.kind == Kind::ToDevice ? "->  " : "<-  ")
        .append(hexBytes(record.bytes))
        .append("  ")
        .append(namedText(record.bytes));
    if (!record.verdict.empty())
        line.append("  ").append(record.verdict);
    return line;
}

std::size_t ProtocolTrace::weight(const Record &record)
{
    // What the record holds beyond the strings' own room for short text.
    const auto onHeap = [](const std::string &text) {
        return text.capacity() > std::string().capacity() ? text.capacity() + 1 : 0;
    };
    return sizeof(Record) + onHeap(record.bytes) + onHeap(record.verdict);
}
