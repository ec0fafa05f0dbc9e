#pragma once

#include <cstdint>
#include <string>

class SerialComponent;

/// The settings string of the line: even parity, 7 data bits, 1 stop bit at 9600 or 1200 baud.
std::string lineSettings(bool at9600);

/// Writes the line's properties in their fixed order and opens it. The caller checks that the
/// port is closed: an open line keeps the values it was opened with.
void setUpLine(SerialComponent &port, std::int16_t portNumber, bool at9600);

/// Closes the line if it is open, so the next operator exchange sets it up afresh.
void releaseLine(SerialComponent &port);
