#pragma once

#include "port_finder.h"

#include <array>
#include <string>

/// What `devicePath` opens now, for the operator: "absent", "port série intégré (serial8250)",
/// "FTDI FT232R USB UART, n° de série A1, USB 0403:6001 (ftdi_sio)"...
std::string pathDescription(const PortFinder &finder, const std::string &devicePath);

/// What --list-ports prints: the serial lines present, then the device of each COM number.
std::string portListing(const PortFinder &finder, const std::array<std::string, 4> &devicePaths);
