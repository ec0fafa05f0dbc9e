#pragma once

#include <string>

class ComRS232;
class GesRS;

/// Sizes the window, presets port and speed from the argument text with their menu ticks, and
/// shows the window. It never opens the line and never lets events run.
void startUp(ComRS232 &window, GesRS &gesRS, const std::string &argumentText);
