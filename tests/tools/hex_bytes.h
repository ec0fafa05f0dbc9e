#pragma once

#include <string>
#include <string_view>

// "02 41 42" as the three bytes it names: frames read in tests as they read in the journal.
inline std::string hexBytes(std::string_view hex)
{
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 3) {
        bytes += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    }
    return bytes;
}
