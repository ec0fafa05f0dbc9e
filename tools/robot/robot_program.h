#pragma once

#include "child_process.h"
#include "line_reader.h"

#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// One line of the robot's reports: "RxWin0", "Pb_rs", "enter", "ready", "state:..." with the
/// CLOCK_MONOTONIC time it was written at.
struct RobotReport
{
    std::string kind;
    long long nanoseconds = 0;
    std::string text;
};

/// CLOCK_MONOTONIC now, comparable with the robot's report times.
long long monotonicNanoseconds();

/// A folder of its own for the program's user configuration, removed with it, so that a run
/// never reads or writes the real user's.
class ScratchConfigHome
{
public:
    ScratchConfigHome();
    ~ScratchConfigHome();
    ScratchConfigHome(const ScratchConfigHome &) = delete;
    ScratchConfigHome &operator=(const ScratchConfigHome &) = delete;
    const std::string &path() const { return m_path; }

private:
    std::string m_path;
};

/// The real comrs232 program, offscreen, with the operator robot loaded into it: orders go in,
/// reports come out.
class RobotProgram
{
public:
    /// `standardError`, when given, becomes the program's standard error; ours otherwise.
    RobotProgram(const std::string &program,
                 const std::string &robotPluginPath,
                 const std::vector<std::string> &arguments,
                 int standardError = -1);

    pid_t pid() const { return m_process.pid(); }
    /// One order line for the robot ("type ABC", "enter", "menu port2" ...).
    void order(const std::string &line);
    /// The operator replaces TxWin's text with `instruction` and presses Enter.
    void instruct(const std::string &instruction);

    /// Reports read so far.
    const std::vector<RobotReport> &reports();
    /// Waits for a report of `kind` (with `text`, when given) among those from index `since` on;
    /// the readers in `also` are read meanwhile.
    std::optional<RobotReport> waitFor(std::string_view kind,
                                       std::optional<std::string_view> text = std::nullopt,
                                       std::size_t since = 0,
                                       std::initializer_list<LineReader *> also = {});
    /// The window as the robot sees it: "TxWin", "RxWin0".."RxWin3", "Pb_rs", and "marks", the
    /// checked menu items separated by spaces. Empty if the robot never answered.
    std::map<std::string, std::string> state();

private:
    ScratchConfigHome m_configHome;
    Pipe m_orders;
    Pipe m_reportPipe;
    ChildProcess m_process;
    LineReader m_reportLines;
    std::vector<RobotReport> m_reports;
};
