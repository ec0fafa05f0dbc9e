#pragma once

#include "child_process.h"
#include "line_reader.h"

#include <string>
#include <string_view>
#include <vector>

/// The device simulator on a new pseudo-terminal, its journal gathered as it runs.
class SimulatorProcess
{
public:
    SimulatorProcess(const std::string &program, const std::vector<std::string> &options);

    /// The pseudo-terminal the tool is to open.
    const std::string &device() const { return m_device; }
    LineReader &journal() { return m_journal; }
    const LineReader &journal() const { return m_journal; }
    /// What the simulator read, one entry per frame or stray byte run, in hex: "02 56 03 35 36".
    std::vector<std::string> bytesIn() const;
    /// How many journal lines so far contain `text`.
    int count(std::string_view text) const;

private:
    Pipe m_out;
    Pipe m_err;
    ChildProcess m_process;
    LineReader m_stdout;
    LineReader m_journal;
    std::string m_device;
};
