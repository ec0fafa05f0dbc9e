#pragma once

#include "robot_program.h"
#include "simulator_process.h"
#include "temp_dir.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <vector>

/// The device simulator with these options.
struct Simulator : SimulatorProcess
{
    explicit Simulator(const std::vector<std::string> &options = {})
        : SimulatorProcess(COMRS232_SIM, options)
    {}
};

/// Who runs the program: us, or the unprivileged user `nobody` (through setpriv, which keeps
/// the process id and the environment).
enum class RunAs { Us, Nobody };

/// True when this test may start a program as `nobody`.
bool canRunAsNobody();

/// The real program with the robot, on these command-line arguments.
struct Program : RobotProgram
{
    explicit Program(const std::vector<std::string> &arguments,
                     RunAs who = RunAs::Us,
                     int standardError = -1);
};

/// A line under drill: COM1 is a good simulated device, COM2 is `line`, a path the drill
/// breaks and mends (a link to a simulated device, a missing file, a directory ...).
struct LineDrillRig
{
    explicit LineDrillRig(RunAs who = RunAs::Us);
    ~LineDrillRig();

    /// A simulated device behind `line`, replacing any there.
    Simulator &plugDevice(const std::vector<std::string> &options = {});
    /// The device behind `line` gone, its pseudo-terminal closed.
    void unplugDevice() { device.reset(); }

    TempDir dir;
    std::string line;
    Simulator home;
    std::optional<Simulator> device;
    std::unique_ptr<Program> program;
    UniqueFd held;     // the line, when the drill holds it itself
    std::string lock;  // a lock file the drill planted, removed at the end
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

/// How many reports of `kind` holding `needle` the robot made, from index `since` on.
int reportsOf(Program &program,
              const std::string &kind,
              std::size_t since = 0,
              const std::string &needle = "");

/// The four reply lines.
std::vector<std::string> history(Program &program);

/// Resident memory of `pid`, in kB (VmRSS), or -1 once it is gone.
long residentKb(pid_t pid);

/// True once `pid`, a child of ours, has ended within `ms` milliseconds, and then how in `how`.
/// Its owner still reaps it.
bool endsWithin(pid_t pid, int ms, siginfo_t *how = nullptr);

/// The UUCP lock file other programs would make for `device`; empty when no lock directory
/// can be written here.
std::string lockFilePath(const std::string &device);
