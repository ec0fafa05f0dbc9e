#include "virtual_timeline.h"

#include <algorithm>

VirtualTimeline::ActionId VirtualTimeline::at(std::int64_t ms, Action action)
{
    const ActionId id = m_nextId++;
    const std::int64_t due = std::max(ms, m_now);
    m_actions.emplace(Key{due, id}, std::move(action));
    m_timeOf.emplace(id, due);
    return id;
}

void VirtualTimeline::cancel(ActionId id)
{
    const auto found = m_timeOf.find(id);
    if (found == m_timeOf.end())
        return;
    m_actions.erase(Key{found->second, id});
    m_timeOf.erase(found);
}

void VirtualTimeline::advance(std::int64_t ms)
{
    const std::int64_t target = m_now + ms;
    // The action is taken out before it runs: it may schedule, cancel or advance in turn.
    while (!m_actions.empty() && m_actions.begin()->first.first <= target) {
        auto first = m_actions.begin();
        const auto [due, id] = first->first;
        Action action = std::move(first->second);
        m_actions.erase(first);
        m_timeOf.erase(id);
        m_now = std::max(m_now, due);
        action();
    }
    // A nested advance may already have gone past the target: time never runs backwards.
    m_now = std::max(m_now, target);
}
