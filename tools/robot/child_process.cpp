#include "child_process.h"

#include "unique_fd.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>

extern char **environ;

Pipe::Pipe()
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    readEnd = UniqueFd(ends[0]);
    writeEnd = UniqueFd(ends[1]);
}

ChildProcess::ChildProcess(const std::string &program, const Launch &launch)
{
    std::vector<std::string> arguments{program};
    arguments.insert(arguments.end(), launch.arguments.begin(), launch.arguments.end());
    std::vector<std::string> environment;
    for (char **variable = environ; *variable; ++variable)
        environment.emplace_back(*variable);
    environment.insert(environment.end(), launch.environment.begin(), launch.environment.end());

    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<char *> envp;
    for (std::string &variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    // A descriptor duplicated onto its own number only loses its close-on-exec flag.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (const auto &[ours, theirs] : launch.descriptors)
        posix_spawn_file_actions_adddup2(&actions, ours, theirs);
    const int failed =
        ::posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0)
        throw std::runtime_error("cannot start " + program + ": " + std::strerror(failed));
}

int ChildProcess::wait(int limitMs)
{
    for (int waited = 0; waited <= limitMs; waited += 10) {
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        ::poll(nullptr, 0, 10);
    }
    return -1;
}

ChildProcess::~ChildProcess()
{
    if (m_pid < 0)
        return;
    ::kill(m_pid, SIGTERM);
    for (int turn = 0; turn < 200; ++turn) {
        if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid)
            return;
        ::poll(nullptr, 0, 10);
    }
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
}
