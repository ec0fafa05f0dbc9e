#pragma once

#include "gesrs.h"
#include "qt_clock.h"
#include "qt_data_watcher.h"
#include "qt_event_pump.h"
#include "qt_one_shot_timer.h"
#include "termios_serial_port.h"

/// The Qt and termios versions of the engine's seams, for the window and for the console.
struct QtEngineSeams
{
    explicit QtEngineSeams(const TermiosSerialPort::DevicePaths &devicePaths)
        : MSComm1(devicePaths)
    {
        MSComm1.setDataWatcher(&dataWatcher);
    }
    QtEngineSeams(const QtEngineSeams &) = delete;
    QtEngineSeams &operator=(const QtEngineSeams &) = delete;

    GesRSPlatform platform(OperatorView &view)
    {
        return {MSComm1, Time_Wait, Timer_car, Timer_mes, events, clock, view};
    }

    QtDataWatcher dataWatcher;  // outlives the port, which tells it when the line closes
    TermiosSerialPort MSComm1;
    QtOneShotTimer Time_Wait;
    QtOneShotTimer Timer_car;
    QtOneShotTimer Timer_mes;
    QtEventPump events;
    QtClock clock;
};
