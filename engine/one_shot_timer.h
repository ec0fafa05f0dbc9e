#pragma once

#include <functional>

/// A timer the engine arms and then watches through its Enabled flag.
/// Interval 0 never ticks, even when enabled; a new Interval while enabled restarts the countdown.
class OneShotTimer
{
public:
    virtual ~OneShotTimer() = default;

    virtual bool enabled() const = 0;
    /// False to True starts the countdown with the current interval; True to False stops it.
    virtual void setEnabled(bool on) = 0;
    virtual int interval() const = 0;
    /// While enabled, restarts the countdown with the new interval (0 stops it from ever ticking).
    virtual void setInterval(int ms) = 0;
    /// Runs on each tick. If the handler leaves the timer enabled, it ticks again one interval later.
    virtual void setTickHandler(std::function<void()> handler) = 0;
};
