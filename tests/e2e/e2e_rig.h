#pragma once

#include "robot_program.h"
#include "simulator_process.h"

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

/// The real program with the robot, on these command-line arguments.
struct Program : RobotProgram
{
    explicit Program(const std::vector<std::string> &arguments, int standardError = -1)
        : RobotProgram(COMRS232_PROGRAM, ROBOT_PLUGIN_PATH, arguments, standardError)
    {}
    /// Started through `launcher`, whose arguments end with the program's path and its own.
    Program(const std::string &launcher, const std::vector<std::string> &arguments)
        : RobotProgram(launcher, ROBOT_PLUGIN_PATH, arguments)
    {}
};

/// The operator sends `instruction`; succeeds once RxWin0 shows `reply`.
testing::AssertionResult replyShown(Program &program,
                                    Simulator &device,
                                    const std::string &instruction,
                                    const std::string &reply);

/// Waits for a report of `kind` whose text holds `needle`, among those from index `since` on.
testing::AssertionResult
reported(Program &program, const std::string &kind, const std::string &needle, std::size_t since);

/// Waits until the simulator has logged `count` lines holding `text`.
testing::AssertionResult journalHolds(Simulator &device, const std::string &text, int count);

/// How many reports of `kind` the robot made, from index `since` on.
int reportsOf(Program &program, const std::string &kind, std::size_t since = 0);
