#pragma once

#include "robot_program.h"
#include "simulator_process.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

/// The device simulator with these options.
struct Simulator : SimulatorProcess
{
    explicit Simulator(const std::vector<std::string> &options = {})
        : SimulatorProcess(COMRS232_SIM, options)
    {}
};

/// The real program with the robot, on these command-line arguments; `program` is what runs
/// (setpriv, to run it as another user).
struct Program : RobotProgram
{
    explicit Program(const std::vector<std::string> &arguments,
                     int standardError = -1,
                     const std::string &program = COMRS232_PROGRAM)
        : RobotProgram(program, ROBOT_PLUGIN_PATH, arguments, standardError)
    {}
};

/// How many reports of `kind` holding `needle` the robot made, from index `since` on.
inline int reportsOf(Program &program,
                     const std::string &kind,
                     std::size_t since = 0,
                     const std::string &needle = "")
{
    const std::vector<RobotReport> &all = program.reports();
    return static_cast<int>(
        std::count_if(all.begin() + static_cast<std::ptrdiff_t>(since), all.end(), [&](auto &r) {
            return r.kind == kind && r.text.find(needle) != std::string::npos;
        }));
}

// For a failure message: every report of the robot, and what crossed the line, and when.
inline std::string everyReport(Program &program, const Simulator *device = nullptr)
{
    std::string text = "; reports:\n";
    for (const RobotReport &report : program.reports())
        text += "  " + report.kind + " " + report.text + "\n";
    return text + (device ? testing::PrintToString(device->journal().lines()) : "");
}

/// The operator sends `instruction`; succeeds once RxWin0 shows `reply`.
inline testing::AssertionResult replyShown(Program &program,
                                           Simulator &device,
                                           const std::string &instruction,
                                           const std::string &reply)
{
    const std::size_t since = program.reports().size();
    program.instruct(instruction);
    if (program.waitFor("RxWin0", reply, since, {&device.journal()}))
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "RxWin0 never read \"" << reply << "\"" << everyReport(program, &device);
}

/// Waits for a report of `kind` whose text holds `needle`, among those from index `since` on.
inline testing::AssertionResult
reported(Program &program, const std::string &kind, const std::string &needle, std::size_t since)
{
    // Each new report of that kind in turn, until one holds the needle.
    for (std::size_t from = since; program.waitFor(kind, std::nullopt, from);) {
        from = program.reports().size();
        if (reportsOf(program, kind, since, needle) > 0)
            return testing::AssertionSuccess();
    }
    return testing::AssertionFailure()
           << "no " << kind << " holding \"" << needle << "\"" << everyReport(program);
}

/// Waits until the simulator has logged `count` lines holding `text`.
inline testing::AssertionResult journalHolds(Simulator &device, const std::string &text, int count)
{
    if (waitUntil({&device.journal()}, [&] { return device.count(text) >= count; }))
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "no " << count << " \"" << text << "\" lines\n"
                                       << testing::PrintToString(device.journal().lines());
}

/// The four reply lines.
inline std::vector<std::string> history(Program &program)
{
    const auto window = program.state();
    std::vector<std::string> lines;
    for (const char *name : {"RxWin0", "RxWin1", "RxWin2", "RxWin3"})
        lines.push_back(window.contains(name) ? window.at(name) : "?");
    return lines;
}

/// Resident memory of `pid`, in kB (VmRSS), or -1 once it is gone.
inline long residentKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:"))
            return std::stol(line.substr(6));
    }
    return -1;
}
