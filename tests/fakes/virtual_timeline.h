#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <utility>

/// Simulated time for tests: actions scheduled at virtual instants run when time is advanced.
/// Actions may schedule, cancel or advance in turn (nesting).
class VirtualTimeline
{
public:
    using Action = std::function<void()>;
    using ActionId = std::uint64_t;

    std::int64_t now() const { return m_now; }

    /// Schedules an action at an absolute time; a time already past runs at the next advance.
    ActionId at(std::int64_t ms, Action action)
    {
        m_actions.emplace(Key{std::max(ms, m_now), m_nextId}, std::move(action));
        return m_nextId++;
    }
    ActionId after(std::int64_t ms, Action action) { return at(m_now + ms, std::move(action)); }
    void cancel(ActionId id)
    {
        std::erase_if(m_actions, [id](const auto &entry) { return entry.first.second == id; });
    }

    /// Moves time on by ms, running what falls due in time order (ties in scheduling order).
    void advance(std::int64_t ms)
    {
        const std::int64_t target = m_now + ms;
        while (!m_actions.empty() && m_actions.begin()->first.first <= target) {
            auto due = m_actions.extract(m_actions.begin());  // out before it runs
            m_now = std::max(m_now, due.key().first);
            due.mapped()();
        }
        // A nested advance may already have gone past the target: time never runs backwards.
        m_now = std::max(m_now, target);
    }

private:
    using Key = std::pair<std::int64_t, ActionId>;

    std::int64_t m_now = 0;
    ActionId m_nextId = 1;
    std::map<Key, Action> m_actions;
};
