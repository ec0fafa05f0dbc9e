#pragma once

#include "device_session.h"
#include "sim_line.h"
#include "sim_log.h"
#include "sim_time.h"

#include <optional>

namespace sim {

/// Serves the line until SIGINT or SIGTERM, or until nothing has happened for exitAfterIdle.
/// Sleeps in poll between events, never spins. Returns the exit code: 0, or 1 if the line is lost.
int runSimulator(SimLine &line,
                 DeviceSession &session,
                 SimLog &log,
                 const ElapsedClock &clock,
                 std::optional<Micros> exitAfterIdle);

}  // namespace sim
