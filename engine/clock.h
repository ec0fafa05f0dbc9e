#pragma once

/// Wall clock as the settling wait reads it.
class Clock
{
public:
    virtual ~Clock() = default;
    /// The current second of the minute, 0 to 59.
    virtual int secondOfMinute() const = 0;
};
