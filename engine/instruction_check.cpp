#include "instruction_check.h"

#include <algorithm>

namespace {

constexpr std::size_t kFrameOverhead = 4;  // STX, ETX and the two checksum digits

}  // namespace

bool isTransmittable(std::string_view instruction)
{
    // The line carries 7 data bits: a byte above 127 would reach the device with its top bit
    // dropped, under a checksum computed from all eight. A control character would break the
    // frame (an ETX ends it early) or reach the device as data it never expects.
    return std::all_of(
        instruction.begin(), instruction.end(), [](char c) { return c >= ' ' && c <= '~'; });
}

std::string instructionRefusal(const std::string &instruction)
{
    if (!isTransmittable(instruction))
        return "CARACTERE NON TRANSMISSIBLE";
    // A frame longer than the transmit buffer would hold the line for minutes at 1200 baud,
    // long after the device's answer was due.
    if (instruction.size() + kFrameOverhead > kTransmitBufferSize)
        return "Tampon de transmission plein";
    return "";
}
