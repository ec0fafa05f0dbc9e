#pragma once

#include "one_shot_timer.h"

#include <QTimer>

/// OneShotTimer on a QTimer, ticking on the window thread's event loop.
class QtOneShotTimer : public OneShotTimer
{
public:
    QtOneShotTimer();

    bool enabled() const override { return m_enabled; }
    void setEnabled(bool on) override;
    int interval() const override { return m_interval; }
    void setInterval(int ms) override;
    void setTickHandler(std::function<void()> handler) override;

private:
    void restartCountdown();
    void tick();

    QTimer m_timer;
    bool m_enabled = false;
    int m_interval = 0;
    std::function<void()> m_handler;
};
