#pragma once

#include <functional>
#include <istream>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

/// Replies chosen by instruction, read from lines "instruction<TAB>reply".
class ReplyTable
{
public:
    std::optional<std::string> lookup(std::string_view instruction) const;
    /// False, and the table unchanged, when the instruction already has a reply.
    bool add(std::string instruction, std::string reply);
    std::size_t size() const { return m_replies.size(); }

private:
    std::map<std::string, std::string, std::less<>> m_replies;
};

struct ReplyTableParse
{
    ReplyTable table;
    std::vector<std::string> errors;  // one per faulty line, naming it; empty when all is well
};

/// Blank lines and lines starting with "#" are skipped; the reply is everything after the first
/// tab, so it may be empty or hold tabs itself; a CR before the line end (a file from Windows) is
/// dropped. A missing tab or an instruction given twice is an error.
ReplyTableParse parseReplyTable(std::istream &in);

}  // namespace sim
