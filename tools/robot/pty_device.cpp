#include "pty_device.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>

PtyDevice::PtyDevice()
    : m_master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC))
{
    if (m_master.get() < 0 || ::grantpt(m_master.get()) != 0 || ::unlockpt(m_master.get()) != 0)
        throw std::runtime_error(std::string("no pseudo-terminal: ") + std::strerror(errno));
    m_path = ::ptsname(m_master.get());
    m_slave = UniqueFd(::open(m_path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    termios raw{};
    ::tcgetattr(m_slave.get(), &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(m_slave.get(), TCSANOW, &raw);
}

std::string PtyDevice::readFrame(int limitMs)
{
    std::string frame;
    std::size_t etx = std::string::npos;
    while (etx == std::string::npos || frame.size() < etx + 3) {
        pollfd watched{m_master.get(), POLLIN, 0};
        char byte = 0;
        if (::poll(&watched, 1, limitMs) <= 0 || ::read(m_master.get(), &byte, 1) != 1)
            return {};
        // Anything before the frame (the ACK of the last reply) is not part of it.
        if (frame.empty() && byte != '\x02')
            continue;
        frame += byte;
        if (byte == '\x03' && etx == std::string::npos)
            etx = frame.size() - 1;
    }
    return frame;
}

std::string PtyDevice::drain()
{
    std::string sent;
    pollfd watched{m_master.get(), POLLIN, 0};
    char buffer[256];
    ssize_t count = 0;
    while (::poll(&watched, 1, 0) > 0 &&
           (count = ::read(m_master.get(), buffer, sizeof buffer)) > 0)
        sent.append(buffer, static_cast<std::size_t>(count));
    return sent;
}

void PtyDevice::write(const std::string &bytes)
{
    if (::write(m_master.get(), bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        throw std::runtime_error(std::string("write to the tool: ") + std::strerror(errno));
}
