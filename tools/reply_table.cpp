#include "reply_table.h"

#include <utility>

namespace sim {

std::optional<std::string> ReplyTable::lookup(std::string_view instruction) const
{
    const auto found = m_replies.find(instruction);
    if (found == m_replies.end()) {
        return std::nullopt;
    }
    return found->second;
}

bool ReplyTable::add(std::string instruction, std::string reply)
{
    return m_replies.emplace(std::move(instruction), std::move(reply)).second;
}

ReplyTableParse parseReplyTable(std::istream &in)
{
    ReplyTableParse result;
    std::map<std::string, int, std::less<>> firstLine;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const auto tab = line.find('\t');
        const std::string where = "ligne " + std::to_string(number) + " : ";
        if (tab == std::string::npos) {
            result.errors.push_back(where + "pas de tabulation entre l'instruction et la réponse");
            continue;
        }
        const std::string instruction = line.substr(0, tab);
        const auto [seen, isNew] = firstLine.emplace(instruction, number);
        if (!isNew) {
            result.errors.push_back(where + "instruction \"" + instruction +
                                    "\" déjà donnée ligne " + std::to_string(seen->second));
            continue;
        }
        result.table.add(instruction, line.substr(tab + 1));
    }
    return result;
}

}  // namespace sim
