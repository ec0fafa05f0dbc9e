#pragma once

/// Lets the events that are due run once: timer ticks, arriving characters, operator input.
/// The program's version sleeps until something is due instead of spinning; the tests' version
/// advances a virtual clock.
class EventPump
{
public:
    virtual ~EventPump() = default;
    virtual void runPending() = 0;
};
