#pragma once

#include "event_pump.h"

#include <QTimer>

/// Runs the window thread's pending events once, sleeping until one is due rather than spinning.
class QtEventPump : public EventPump
{
public:
    /// The longest sleep: the settling wait watches the wall clock, which posts no event.
    static constexpr int kMaxSleepMs = 20;

    QtEventPump();
    void runPending() override;

private:
    QTimer m_wakeUp;
};
