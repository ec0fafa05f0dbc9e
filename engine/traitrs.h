#pragma once

#include <array>
#include <string>

/// The reply table shared by the engine and the window; element 0 gathers the reply being received.
struct TraitRS
{
    std::array<std::string, 51> reponse;
};
