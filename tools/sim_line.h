#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace sim {

/// The simulator's end of the line: the master of a new pseudo-terminal, or a real serial port.
/// Opening failures throw std::runtime_error with a message for the user.
class SimLine
{
public:
    static std::unique_ptr<SimLine> openPseudoTerminal(int baud);
    static std::unique_ptr<SimLine> openDevice(const std::string &path, int baud);

    ~SimLine();
    SimLine(const SimLine &) = delete;
    SimLine &operator=(const SimLine &) = delete;

    /// The descriptor to poll and read; non-blocking.
    int fd() const { return m_fd; }

    /// The path the tool opens: the pseudo-terminal's slave, or the device itself.
    const std::string &path() const { return m_path; }

    bool isPseudoTerminal() const { return m_slaveFd >= 0; }

    /// On a pseudo-terminal, the speed its other end has set the line to (0 if unknown).
    int peerBaud() const;

    /// Writes what the line takes without waiting and returns how many bytes it took;
    /// -1 when the line is gone.
    long writeSome(std::string_view bytes);

private:
    SimLine(int fd, int slaveFd, std::string path);

    int m_fd;
    int m_slaveFd;
    std::string m_path;
};

/// A symbolic link to the line for as long as it lives. A link already there is replaced (one
/// left by a run that was killed); any other file there is refused. Removed at the end only while
/// it still points at the line, so it never takes away a newer simulator's link.
class LineLink
{
public:
    LineLink(std::string linkPath, std::string target);
    ~LineLink();
    LineLink(const LineLink &) = delete;
    LineLink &operator=(const LineLink &) = delete;

private:
    std::string m_linkPath;
    std::string m_target;
};

}  // namespace sim
