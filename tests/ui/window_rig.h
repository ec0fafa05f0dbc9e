#pragma once

#include "comrs232.h"
#include "fake_clock.h"
#include "fake_device.h"
#include "fake_event_pump.h"
#include "fake_serial_port.h"
#include "fake_timer.h"
#include "gesrs.h"
#include "traitrs.h"
#include "virtual_timeline.h"

#include <QString>
#include <cstdint>

/// The window with the real engine under it, on one virtual timeline with a scripted device.
/// Operator keys are scheduled on the timeline, so they land inside the engine's waits.
struct WindowRig
{
    VirtualTimeline timeline;
    FakeTimer Time_Wait{timeline};
    FakeTimer Timer_car{timeline};
    FakeTimer Timer_mes{timeline};
    FakeTimer pollTimer{timeline};
    FakeEventPump events{timeline};
    FakeClock clock{timeline};
    FakeSerialPort port{timeline};
    FakeDevice device{port, timeline};
    TraitRS traitRS;
    ComRS232 window{pollTimer, traitRS};
    GesRS gesrs{GesRSPlatform{port, Time_Wait, Timer_car, Timer_mes, events, clock, window},
                traitRS};

    WindowRig() { window.attach(gesrs); }

    /// Keys typed into TxWin at a virtual instant; "\r" is Enter.
    void typeAt(std::int64_t ms, const QString &keys);
    void enterAt(std::int64_t ms) { typeAt(ms, QStringLiteral("\r")); }
    void at(std::int64_t ms, VirtualTimeline::Action action) { timeline.at(ms, std::move(action)); }
    void runUntil(std::int64_t ms) { timeline.advance(ms - timeline.now()); }

    /// Virtual time of the first character of the n-th frame the engine wrote (0 the first).
    std::int64_t frameTime(int n) const;
};
