#pragma once

#include "clock.h"
#include "virtual_timeline.h"

/// The wall clock on the virtual timeline; the offset puts virtual time 0 anywhere in a minute.
class FakeClock : public Clock
{
public:
    explicit FakeClock(const VirtualTimeline &timeline)
        : m_timeline(timeline)
    {}

    int secondOfMinute() const override { return (m_timeline.now() + offsetMs) / 1000 % 60; }

    std::int64_t offsetMs = 0;

private:
    const VirtualTimeline &m_timeline;
};
