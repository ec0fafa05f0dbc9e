#pragma once

#include "event_pump.h"
#include "virtual_timeline.h"

#include <cstdint>

/// Each runPending() moves virtual time on by one quantum and runs what fell due, so a busy
/// wait ends after a known number of turns. A wait that would never end fails the test instead
/// of hanging it, once virtual time passes the limit.
class FakeEventPump : public EventPump
{
public:
    explicit FakeEventPump(VirtualTimeline &timeline)
        : m_timeline(timeline)
    {}

    void runPending() override;

    void setQuantum(std::int64_t ms) { m_quantum = ms; }
    void setTimeLimit(std::int64_t ms) { m_timeLimit = ms; }
    std::int64_t calls() const { return m_calls; }

private:
    VirtualTimeline &m_timeline;
    std::int64_t m_quantum = 1;
    std::int64_t m_timeLimit = 10 * 60 * 1000;
    std::int64_t m_calls = 0;
};
