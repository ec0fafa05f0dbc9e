#include "drill_rig.h"

#include "process_cpu.h"

#include <chrono>
#include <fstream>
#include <poll.h>
#include <pwd.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

const char *const kSetpriv = "/usr/bin/setpriv";

// The unprivileged runs go through setpriv, which keeps the process id and the environment.
std::vector<std::string> asNobody(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(),
                     {"--reuid=nobody", "--regid=nogroup", "--clear-groups", COMRS232_PROGRAM});
    return arguments;
}

// `nobody` may reach a file when every folder above it lets others through and it lets
// others read.
bool othersMayRead(const std::filesystem::path &file)
{
    struct stat status
    {};
    if (::stat(file.c_str(), &status) != 0 || !(status.st_mode & S_IROTH))
        return false;
    for (std::filesystem::path folder = file.parent_path(); folder != folder.root_path();
         folder = folder.parent_path()) {
        if (::stat(folder.c_str(), &status) != 0 || !(status.st_mode & S_IXOTH))
            return false;
    }
    return true;
}

}  // namespace

bool canRunAsNobody()
{
    return ::getuid() == 0 && ::access(kSetpriv, X_OK) == 0 && ::getpwnam("nobody") &&
           othersMayRead(COMRS232_PROGRAM) &&
           othersMayRead(std::string(ROBOT_PLUGIN_PATH) + "/generic/libcomrs_operator_robot.so");
}

std::unique_ptr<Program> startProgram(RunAs who, const std::vector<std::string> &arguments)
{
    if (who == RunAs::Nobody)
        return std::make_unique<Program>(kSetpriv, asNobody(arguments));
    return std::make_unique<Program>(arguments);
}

LineDrillRig::LineDrillRig(RunAs who)
    : line((dir.path() / "ligne").string())
{
    if (who == RunAs::Nobody)
        ::chmod(home.device().c_str(), 0666);
    program = startProgram(who, {"--port1=" + home.device(), "--port2=" + line});
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

std::vector<std::string> history(Program &program)
{
    const auto window = program.state();
    std::vector<std::string> lines;
    for (const char *name : {"RxWin0", "RxWin1", "RxWin2", "RxWin3"})
        lines.push_back(window.contains(name) ? window.at(name) : "?");
    return lines;
}

double cpuPercentOver(pid_t pid, int ms)
{
    const double before = cpuMilliseconds(pid);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return (cpuMilliseconds(pid) - before) * 100.0 / ms;
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
