#include "qt_one_shot_timer.h"

QtOneShotTimer::QtOneShotTimer()
{
    // The engine's waits are short (100 ms at the least) and measured: coarse timers may drift 5 %.
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
}

void QtOneShotTimer::setEnabled(bool on)
{
    if (on == m_enabled)
        return;
    m_enabled = on;
    if (on)
        restartCountdown();
    else
        m_timer.stop();
}

void QtOneShotTimer::setInterval(int ms)
{
    m_interval = ms;
    if (m_enabled)
        restartCountdown();
}

void QtOneShotTimer::setTickHandler(std::function<void()> handler)
{
    m_handler = std::move(handler);
}

void QtOneShotTimer::restartCountdown()
{
    // Interval 0 means "stuck on": enabled, but no tick ever comes.
    if (m_interval > 0)
        m_timer.start(m_interval);
    else
        m_timer.stop();
}

void QtOneShotTimer::tick()
{
    if (!m_enabled)
        return;
    if (m_handler)
        m_handler();
    // A handler that leaves the timer running gets another tick one interval later.
    if (m_enabled && m_interval > 0 && !m_timer.isActive())
        m_timer.start(m_interval);
}
