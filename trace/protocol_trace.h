#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

/// Where trace lines go: standard error, the trace window.
class TraceSink
{
public:
    virtual ~TraceSink() = default;
    /// One whole line, UTF-8, without its line break.
    virtual void traceLine(const std::string &line) = 0;
};

/// Bytes on the line and what the tool made of them, one line an event, fanned out to the
/// sinks. With no sink nothing is formatted: the recorders ask listening() first.
class ProtocolTrace
{
public:
    enum class Direction { ToDevice, FromDevice };
    using MsClock = std::function<std::int64_t()>;

    /// Times are milliseconds since construction, on the steady clock unless `now` is given.
    explicit ProtocolTrace(MsClock now = {});

    void addSink(TraceSink &sink);
    void removeSink(TraceSink &sink);
    bool listening() const { return !m_sinks.empty(); }
    std::int64_t now() const { return m_now(); }

    /// Bytes that went by, written in hex and as text, then `verdict` when not empty.
    void bytesOnLine(std::int64_t ms,
                     Direction direction,
                     std::string_view bytes,
                     std::string_view verdict);
    /// Something the tool did or met (UTF-8).
    void event(std::int64_t ms, std::string_view text);

private:
    void publish(std::int64_t ms, std::string_view marker, std::string_view rest);

    MsClock m_now;
    std::vector<TraceSink *> m_sinks;
};
