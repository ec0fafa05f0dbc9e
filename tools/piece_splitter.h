#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

/// "3,2,5" into {3, 2, 5}; nothing for an empty list, a zero or anything not a number.
std::optional<std::vector<std::size_t>> parsePieceSizes(std::string_view list);

/// Cuts bytes into pieces of the given sizes, the last size repeating; one piece when sizes is empty.
std::vector<std::string> splitIntoPieces(std::string_view bytes,
                                         const std::vector<std::size_t> &sizes);

}  // namespace sim
