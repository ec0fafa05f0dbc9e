#include "e2e_rig.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *const kSetpriv = "/usr/bin/setpriv";

std::vector<std::string> asNobody(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(),
                     {"--reuid=nobody", "--regid=nogroup", "--clear-groups", COMRS232_PROGRAM});
    return arguments;
}

// For a failure message: every report of the robot, and what crossed the line, and when.
std::string everyReport(Program &program)
{
    std::string text = "; reports:\n";
    for (const RobotReport &report : program.reports())
        text += "  " + report.kind + " " + report.text + "\n";
    return text;
}

std::string journalOf(const Simulator &device)
{
    std::string text = "simulator journal:\n";
    for (const std::string &line : device.journal().lines())
        text += "  " + line + "\n";
    return text;
}

}  // namespace

bool canRunAsNobody()
{
    // Whatever nobody may not read, it cannot start: the program, and the robot it loads.
    const std::string command = std::string(kSetpriv) + " --reuid=nobody --regid=nogroup " +
                                "--clear-groups test -x " COMRS232_PROGRAM " -a -r " +
                                ROBOT_PLUGIN_PATH "/generic/libcomrs_operator_robot.so";
    return ::getuid() == 0 && std::system((command + " 2>/dev/null").c_str()) == 0;
}

Program::Program(const std::vector<std::string> &arguments, RunAs who, int standardError)
    : RobotProgram(who == RunAs::Nobody ? kSetpriv : COMRS232_PROGRAM,
                   ROBOT_PLUGIN_PATH,
                   who == RunAs::Nobody ? asNobody(arguments) : arguments,
                   standardError)
{}

LineDrillRig::LineDrillRig(RunAs who)
    : line((dir.path() / "ligne").string())
{
    if (who == RunAs::Nobody)
        ::chmod(home.device().c_str(), 0666);
    program = std::make_unique<Program>(
        std::vector<std::string>{"--port1=" + home.device(), "--port2=" + line}, who);
}

LineDrillRig::~LineDrillRig()
{
    if (!lock.empty())
        ::unlink(lock.c_str());
}

Simulator &LineDrillRig::plugDevice(const std::vector<std::string> &options)
{
    device.reset();
    std::error_code ignored;
    std::filesystem::remove_all(line, ignored);
    std::vector<std::string> all = {"--link", line};
    all.insert(all.end(), options.begin(), options.end());
    return device.emplace(all);
}

testing::AssertionResult replyShown(Program &program,
                                    Simulator &device,
                                    const std::string &instruction,
                                    const std::string &reply)
{
    const std::size_t since = program.reports().size();
    program.instruct(instruction);
    if (program.waitFor("RxWin0", reply, since, {&device.journal()}))
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "RxWin0 never read \"" << reply << "\"" << everyReport(program) << journalOf(device);
}

testing::AssertionResult
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

testing::AssertionResult journalHolds(Simulator &device, const std::string &text, int count)
{
    if (waitUntil({&device.journal()}, [&] { return device.count(text) >= count; }))
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "no " << count << " \"" << text << "\" lines\n"
                                       << journalOf(device);
}

int reportsOf(Program &program,
              const std::string &kind,
              std::size_t since,
              const std::string &needle)
{
    const std::vector<RobotReport> &all = program.reports();
    return static_cast<int>(
        std::count_if(all.begin() + static_cast<std::ptrdiff_t>(since), all.end(), [&](auto &r) {
            return r.kind == kind && r.text.find(needle) != std::string::npos;
        }));
}

std::vector<std::string> history(Program &program)
{
    const auto window = program.state();
    std::vector<std::string> lines;
    for (const char *name : {"RxWin0", "RxWin1", "RxWin2", "RxWin3"})
        lines.push_back(window.contains(name) ? window.at(name) : "?");
    return lines;
}

long residentKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:"))
            return std::stol(line.substr(6));
    }
    return -1;
}

bool endsWithin(pid_t pid, int ms, siginfo_t *how)
{
    for (int waited = 0;; waited += 20) {
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            info.si_pid == pid) {
            if (how)
                *how = info;
            return true;
        }
        if (waited >= ms)
            return false;
        ::poll(nullptr, 0, 20);
    }
}

std::string lockFilePath(const std::string &device)
{
    const std::filesystem::path real = std::filesystem::canonical(device);
    for (const char *folder : {"/run/lock", "/var/lock"}) {
        if (::access(folder, W_OK) == 0)
            return std::string(folder) + "/LCK.." + real.filename().string();
    }
    return {};
}
