#pragma once

#include "event_pump.h"
#include "virtual_timeline.h"

#include <stdexcept>

/// Each runPending() moves virtual time on by 1 ms and runs what fell due, so a busy wait ends
/// after a known number of turns. A wait that never ends fails the test instead of hanging it.
class FakeEventPump : public EventPump
{
public:
    explicit FakeEventPump(VirtualTimeline &timeline)
        : m_timeline(timeline)
    {}

    void runPending() override
    {
        ++m_calls;
        if (m_timeline.now() >= 10 * 60 * 1000)
            throw std::logic_error("virtual time limit passed: a wait never ended");
        m_timeline.advance(1);
    }
    std::int64_t calls() const { return m_calls; }

private:
    VirtualTimeline &m_timeline;
    std::int64_t m_calls = 0;
};
