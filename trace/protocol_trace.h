#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
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
/// sinks. The newest lines are also kept from the start, whether anyone listens or not, so that
/// a trace window opened after a problem shows what led to it; they are kept as the bytes and
/// formatted only when asked for, which costs the exchanges next to nothing.
class ProtocolTrace
{
public:
    enum class Direction { ToDevice, FromDevice };
    using MsClock = std::function<std::int64_t()>;

    /// The most kept: as many lines as the trace window holds, and a bound in bytes for a line
    /// flooded with long frames.
    static constexpr std::size_t kKeptLines = 10000;
    static constexpr std::size_t kKeptBytes = 2 * 1024 * 1024;

    /// Times are milliseconds since construction, on the steady clock unless `now` is given.
    explicit ProtocolTrace(MsClock now = {});

    void addSink(TraceSink &sink);
    void removeSink(TraceSink &sink);
    std::int64_t now() const { return m_now(); }

    /// Bytes that went by, written in hex and as text, then `verdict` when not empty.
    void bytesOnLine(std::int64_t ms,
                     Direction direction,
                     std::string_view bytes,
                     std::string_view verdict);
    /// Something the tool did or met (UTF-8).
    void event(std::int64_t ms, std::string_view text);

    /// The lines kept, oldest first, as a sink would have had them.
    std::vector<std::string> keptLines() const;
    /// What the kept lines take, counted as kKeptBytes bounds it.
    std::size_t keptBytes() const { return m_keptBytes; }

private:
    enum class Kind : std::uint8_t { ToDevice, FromDevice, Event };
    struct Record
    {
        std::int64_t ms;
        Kind kind;
        std::string bytes;  // as on the line; the event's text for Kind::Event
        std::string verdict;
    };

    void publish(Record record);
    static std::string format(const Record &record);
    static std::size_t weight(const Record &record);

    MsClock m_now;
    std::vector<TraceSink *> m_sinks;
    std::deque<Record> m_kept;
    std::size_t m_keptBytes = 0;
};
