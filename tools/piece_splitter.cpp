#include "piece_splitter.h"

#include <algorithm>
#include <charconv>

namespace sim {

std::optional<std::vector<std::size_t>> parsePieceSizes(std::string_view list)
{
    std::vector<std::size_t> sizes;
    while (true) {
        const auto comma = list.find(',');
        const std::string_view item = list.substr(0, comma);
        std::size_t size = 0;
        const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), size);
        if (item.empty() || error != std::errc{} || end != item.data() + item.size() || size == 0) {
            return std::nullopt;
        }
        sizes.push_back(size);
        if (comma == std::string_view::npos) {
            return sizes;
        }
        list.remove_prefix(comma + 1);
    }
}

std::vector<std::string> splitIntoPieces(std::string_view bytes,
                                         const std::vector<std::size_t> &sizes)
{
    std::vector<std::string> pieces;
    std::size_t offset = 0;
    while (offset < bytes.size()) {
        const std::size_t wanted =
            sizes.empty() ? bytes.size() : sizes[std::min(pieces.size(), sizes.size() - 1)];
        const std::size_t size = std::max<std::size_t>(wanted, 1);
        pieces.emplace_back(bytes.substr(offset, size));
        offset += size;
    }
    return pieces;
}

}  // namespace sim
