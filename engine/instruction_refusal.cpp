#include "instruction_refusal.h"

#include "frame.h"

#include <algorithm>

namespace {

constexpr std::size_t kTransmitBufferSize = 512;

// The line carries 7 data bits: a byte above 127 would reach the device with its top bit dropped.
bool fitsSevenBits(std::string_view text)
{
    return std::none_of(
        text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) > 127; });
}

}  // namespace

std::string instructionRefusal(std::string_view instruction)
{
    if (!fitsSevenBits(instruction))
        return "CARACTERE NON TRANSMISSIBLE";
    // A frame larger than the transmit buffer could not be queued whole.
    if (buildFrame(instruction).size() > kTransmitBufferSize)
        return "Tampon de transmission plein";
    return {};
}
