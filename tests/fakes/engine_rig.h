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

using Texts = std::vector<std::string>;

/// The fakes of everything a GesRS needs, on one virtual timeline, with a scripted device on
/// the port.
struct EngineFakes
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
};

/// A GesRS on the fakes.
struct EngineRig : EngineFakes
{
    GesRS gesrs{GesRSPlatform{port, Time_Wait, Timer_car, Timer_mes, events, clock, view}, traitRS};

    /// Fresh, as the program starts: COM1 at 1200 baud, line closed, Timer_car stuck on.
    /// Otherwise as a finished exchange leaves it: line open, Timer_car off, nothing to settle.
    explicit EngineRig(bool fresh = false)
    {
        gesrs.voie_serie_Select = 1;
        if (!fresh) {
            port.setPortOpen(true);
            Timer_car.setEnabled(false);
        }
    }
    void answer(const std::string &bytes, std::int64_t afterMs = 50)
    {
        device.answerNext(FakeDevice::whole(bytes, afterMs));
    }
    void poll() { gesrs.envoicom("WWWW"); }
};
