#include "fake_timer.h"

FakeTimer::~FakeTimer()
{
    m_timeline.cancel(m_pending);
}

void FakeTimer::setEnabled(bool on)
{
    if (on == m_enabled)
        return;
    m_enabled = on;
    restartCountdown();
}

void FakeTimer::setInterval(int ms)
{
    m_interval = ms;
    m_intervalsSet.push_back(ms);
    if (m_enabled)
        restartCountdown();
}

void FakeTimer::restartCountdown()
{
    m_timeline.cancel(m_pending);
    m_pending = 0;
    // Interval 0 is "stuck on": enabled, and no tick ever comes.
    if (m_enabled && m_interval > 0)
        m_pending = m_timeline.after(m_interval, [this] { tick(); });
}

void FakeTimer::tick()
{
    m_pending = 0;
    ++m_ticks;
    if (m_handler)
        m_handler();
    if (m_enabled && m_interval > 0 && m_pending == 0)
        m_pending = m_timeline.after(m_interval, [this] { tick(); });
}
