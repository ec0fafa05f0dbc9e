#pragma once

#include "one_shot_timer.h"
#include "virtual_timeline.h"

#include <vector>

/// OneShotTimer on a virtual timeline, with the Qt timer's contract.
class FakeTimer : public OneShotTimer
{
public:
    explicit FakeTimer(VirtualTimeline &timeline)
        : m_timeline(timeline)
    {}
    ~FakeTimer() override;

    bool enabled() const override { return m_enabled; }
    void setEnabled(bool on) override;
    int interval() const override { return m_interval; }
    void setInterval(int ms) override;
    void setTickHandler(std::function<void()> handler) override { m_handler = std::move(handler); }

    /// Every Interval given, in order, so tests can check which waits were armed.
    const std::vector<int> &intervalsSet() const { return m_intervalsSet; }
    int ticks() const { return m_ticks; }

private:
    void restartCountdown();
    void tick();

    VirtualTimeline &m_timeline;
    bool m_enabled = false;
    int m_interval = 0;
    int m_ticks = 0;
    VirtualTimeline::ActionId m_pending = 0;
    std::function<void()> m_handler;
    std::vector<int> m_intervalsSet;
};
