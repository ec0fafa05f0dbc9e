#pragma once

#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

/// A program started for a test or a benchmark; stopped (SIGTERM, then SIGKILL) and reaped
/// when the object goes.
class ChildProcess
{
public:
    struct Launch
    {
        std::vector<std::string> arguments;            // after the program's own path
        std::vector<std::string> environment;          // NAME=VALUE, added to ours
        std::vector<std::pair<int, int>> descriptors;  // ours -> its number in the child
    };

    ChildProcess(const std::string &program, const Launch &launch);
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    pid_t pid() const { return m_pid; }
    /// Waits up to `limitMs` for the program to end by itself: its exit status, or -1 when it
    /// was ended by a signal or still runs (then it is stopped when the object goes).
    int wait(int limitMs = 15000);

private:
    pid_t m_pid = -1;
};
