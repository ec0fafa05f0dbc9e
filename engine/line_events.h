#pragma once

#include <functional>
#include <string>

/// The operator's text for the serial component's latest line event, or "" for an event that is
/// not reported (0, characters sent or received, a break, anything unknown).
/// readCommEvent is called once per row tried, in the table's order, as the event may change
/// between two readings.
std::string lineEventText(const std::function<int()> &readCommEvent);
