#pragma once

#include <optional>
#include <termios.h>

namespace sim {

/// The speed constant for 1200 or 9600 baud; nothing for any other rate.
std::optional<speed_t> speedFor(int baud);

/// The rate of a speed constant; 0 when it is not one the simulator names.
int baudOf(speed_t speed);

/// The device's line: raw (no echo, no line editing, no signals, no flow control, no translation),
/// 7 data bits, even parity, 1 stop bit, at the given speed, reads returning what has arrived.
termios deviceLineSettings(termios base, speed_t speed);

}  // namespace sim
