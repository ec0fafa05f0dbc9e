#pragma once

#include "clock.h"
#include "virtual_timeline.h"

#include <cstdint>

/// The wall clock on the virtual timeline; the offset puts virtual time 0 anywhere in a minute.
class FakeClock : public Clock
{
public:
    explicit FakeClock(const VirtualTimeline &timeline)
        : m_timeline(timeline)
    {}

    int secondOfMinute() const override
    {
        return static_cast<int>((m_timeline.now() + m_offsetMs) / 1000 % 60);
    }
    void setOffset(std::int64_t ms) { m_offsetMs = ms; }

private:
    const VirtualTimeline &m_timeline;
    std::int64_t m_offsetMs = 0;
};
