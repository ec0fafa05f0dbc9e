#pragma once

#include <array>
#include <string>

class ComRS232;
class PortFinder;

/// Each COM item of the "Port Série" menu says, in its tooltip and status tip, which device it
/// opens and what is behind it now; the tips are read afresh each time the menu opens.
/// `finder` must outlive the window.
void describeComItems(ComRS232 &window,
                      const PortFinder &finder,
                      const std::array<std::string, 4> &devicePaths);
