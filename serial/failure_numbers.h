#pragma once

#include <cstdint>

/// The failure number for an errno met while setting a line up (open, lock, terminal settings).
std::int32_t setupFailureNumber(int error);
