#pragma once

/// Lets the program sleep until the line has data instead of asking it over and over.
/// A watcher disarms itself after each wake-up, so data left unread cannot keep waking it;
/// the port rearms it once it has drained the descriptor.
class DataWatcher
{
public:
    virtual ~DataWatcher() = default;
    /// The port opened: wake the event loop when fd becomes readable (or hangs up).
    virtual void watch(int fd) = 0;
    /// The port closed.
    virtual void unwatch() = 0;
    /// The waiting data has been taken: wake again on new data.
    virtual void rearm() = 0;
};
