#pragma once

#include "unique_fd.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

/// The lines a child writes to a pipe, gathered without ever blocking.
class LineReader
{
public:
    explicit LineReader(UniqueFd fd);

    int fd() const { return m_fd.get(); }
    bool atEnd() const { return m_atEnd; }
    /// Takes in whatever waits in the pipe.
    void drain();
    const std::vector<std::string> &lines() const { return m_lines; }

private:
    UniqueFd m_fd;
    std::string m_partial;
    std::vector<std::string> m_lines;
    bool m_atEnd = false;
};

/// Reads the sources until `condition` holds or `limit` has passed; says whether it held.
/// Limits are generous: they only end a test that would otherwise hang.
bool waitUntil(const std::vector<LineReader *> &sources,
               const std::function<bool()> &condition,
               std::chrono::milliseconds limit = std::chrono::seconds(15));
