#pragma once

#include "one_shot_timer.h"
#include "virtual_timeline.h"

/// OneShotTimer on a virtual timeline, with the Qt timer's contract.
class FakeTimer : public OneShotTimer
{
public:
    explicit FakeTimer(VirtualTimeline &timeline)
        : m_timeline(timeline)
    {}
    ~FakeTimer() override { m_timeline.cancel(m_pending); }

    bool enabled() const override { return m_enabled; }
    void setEnabled(bool on) override
    {
        if (on != m_enabled) {
            m_enabled = on;
            restart();
        }
    }
    int interval() const override { return m_interval; }
    void setInterval(int ms) override
    {
        m_interval = ms;
        if (m_enabled)
            restart();
    }
    void setTickHandler(std::function<void()> handler) override { m_handler = std::move(handler); }
    int ticks() const { return m_ticks; }

private:
    // Interval 0 is "stuck on": enabled, and no tick ever comes.
    void restart()
    {
        // A reply restarts its watchdog at every character, often at one instant: the tick
        // already due then stays, which keeps a flood cheap.
        if (m_pending != 0 && m_enabled && m_dueAt == m_timeline.now() + m_interval)
            return;
        m_timeline.cancel(m_pending);
        m_dueAt = m_timeline.now() + m_interval;
        m_pending =
            m_enabled && m_interval > 0 ? m_timeline.after(m_interval, [this] { tick(); }) : 0;
    }
    void tick()
    {
        m_pending = 0;
        ++m_ticks;
        if (m_handler)
            m_handler();
        if (m_enabled && m_pending == 0)  // left on and not restarted by the handler
            restart();
    }

    VirtualTimeline &m_timeline;
    bool m_enabled = false;
    int m_interval = 0;
    int m_ticks = 0;
    VirtualTimeline::ActionId m_pending = 0;
    std::int64_t m_dueAt = 0;
    std::function<void()> m_handler;
};
