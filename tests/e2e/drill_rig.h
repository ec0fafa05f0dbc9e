#pragma once

#include "e2e_rig.h"
#include "temp_dir.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <vector>

/// Who runs the program under drill.
enum class RunAs { Us, Nobody };

/// True when this test may start a program as the unprivileged user `nobody`.
bool canRunAsNobody();

/// The real program (with its robot), as root or as `nobody`.
std::unique_ptr<Program> startProgram(RunAs who, const std::vector<std::string> &arguments);

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

/// The four reply lines.
std::vector<std::string> history(Program &program);

/// Processor use of `pid` over the next `ms` milliseconds, in percent of one core.
double cpuPercentOver(pid_t pid, int ms);

/// Resident memory of `pid`, in kB (VmRSS), or -1 once it is gone.
long residentKb(pid_t pid);

/// True once `pid`, a child of ours, has ended within `ms` milliseconds, and then how in `how`.
/// Its owner still reaps it.
bool endsWithin(pid_t pid, int ms, siginfo_t *how = nullptr);

/// The UUCP lock file other programs would make for `device`; empty when no lock directory
/// can be written here.
std::string lockFilePath(const std::string &device);
