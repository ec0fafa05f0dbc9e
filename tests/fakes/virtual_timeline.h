#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

/// Simulated time for tests: actions scheduled at virtual instants run when time is advanced.
/// Actions may schedule further actions and may advance the timeline themselves (nesting).
class VirtualTimeline
{
public:
    using Action = std::function<void()>;
    using ActionId = std::uint64_t;

    std::int64_t now() const { return m_now; }

    /// Schedules an action at an absolute time; a time already past runs at the next advance.
    ActionId at(std::int64_t ms, Action action);
    ActionId after(std::int64_t ms, Action action) { return at(m_now + ms, std::move(action)); }
    void cancel(ActionId id);

    /// Moves time forward by ms, running every action that falls due, in time order (ties in
    /// the order they were scheduled).
    void advance(std::int64_t ms);

private:
    using Key = std::pair<std::int64_t, ActionId>;

    std::int64_t m_now = 0;
    ActionId m_nextId = 1;
    std::map<Key, Action> m_actions;
    std::map<ActionId, std::int64_t> m_timeOf;
};
