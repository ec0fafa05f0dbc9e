#include "simulator_process.h"

#include <algorithm>
#include <stdexcept>

SimulatorProcess::SimulatorProcess(const std::string &program,
                                   const std::vector<std::string> &options)
    : m_process(program, {options, {}, {{m_out.writeEnd.get(), 1}, {m_err.writeEnd.get(), 2}}})
    , m_stdout(std::move(m_out.readEnd))
    , m_journal(std::move(m_err.readEnd))
{
    // Our copies of the writing ends go, so that the readers see the end when the simulator does.
    m_out.writeEnd = UniqueFd();
    m_err.writeEnd = UniqueFd();
    const std::string prefix = "PTY ";
    waitUntil({&m_stdout, &m_journal}, [&] {
        for (const std::string &line : m_stdout.lines()) {
            if (line.starts_with(prefix))
                m_device = line.substr(prefix.size());
        }
        return !m_device.empty() || m_stdout.atEnd();
    });
    if (m_device.empty())
        throw std::runtime_error("the simulator gave no pseudo-terminal");
}

std::vector<std::string> SimulatorProcess::bytesIn() const
{
    // "[     196.5] IN  06  |.|"
    std::vector<std::string> bytes;
    for (const std::string &line : m_journal.lines()) {
        const std::size_t start = line.find("] IN  ");
        if (start == std::string::npos)
            continue;
        const std::size_t from = start + 6;
        bytes.push_back(line.substr(from, line.find("  |", from) - from));
    }
    return bytes;
}

int SimulatorProcess::count(std::string_view text) const
{
    return static_cast<int>(
        std::count_if(m_journal.lines().begin(), m_journal.lines().end(), [&](const auto &line) {
            return line.find(text) != std::string::npos;
        }));
}
