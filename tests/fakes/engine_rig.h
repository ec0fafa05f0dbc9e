#pragma once

#include "fake_clock.h"
#include "fake_device.h"
#include "fake_event_pump.h"
#include "fake_operator_view.h"
#include "fake_serial_port.h"
#include "fake_timer.h"
#include "gesrs.h"
#include "traitrs.h"
#include "virtual_timeline.h"

/// Everything a GesRS needs, on one virtual timeline, with a scripted device on the port.
/// It starts as the program does: COM1 at 1200 baud, line closed, Timer_car stuck on.
struct EngineRig
{
    VirtualTimeline timeline;
    FakeTimer Time_Wait{timeline};
    FakeTimer Timer_car{timeline};
    FakeTimer Timer_mes{timeline};
    FakeEventPump events{timeline};
    FakeClock clock{timeline};
    FakeSerialPort port{timeline};
    FakeDevice device{port, timeline};
    TraitRS traitRS;
    FakeOperatorView view{traitRS};
    GesRS gesrs{GesRSPlatform{port, Time_Wait, Timer_car, Timer_mes, events, clock, view}, traitRS};

    EngineRig();

    /// The state after a finished exchange: line open, Timer_car off, so nothing settles.
    void skipStartUp();
    void poll() { gesrs.envoicom("WWWW"); }
    /// Virtual time of the latest character the engine wrote.
    std::int64_t lastWriteTime() const;
};
