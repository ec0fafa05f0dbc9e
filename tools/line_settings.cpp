#include "line_settings.h"

#include <array>
#include <utility>

namespace sim {

namespace {

constexpr std::array<std::pair<int, speed_t>, 10> kSpeeds{{
    {300, B300},
    {600, B600},
    {1200, B1200},
    {2400, B2400},
    {4800, B4800},
    {9600, B9600},
    {19200, B19200},
    {38400, B38400},
    {57600, B57600},
    {115200, B115200},
}};

}  // namespace

std::optional<speed_t> speedFor(int baud)
{
    if (baud == 1200) {
        return B1200;
    }
    if (baud == 9600) {
        return B9600;
    }
    return std::nullopt;
}

int baudOf(speed_t speed)
{
    for (const auto &[baud, constant] : kSpeeds) {
        if (constant == speed) {
            return baud;
        }
    }
    return 0;
}

termios deviceLineSettings(termios base, speed_t speed)
{
    termios line = base;
    cfmakeraw(&line);
    line.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK);
    line.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARODD | CSTOPB | CRTSCTS);
    line.c_cflag |= CS7 | PARENB | CLOCAL | CREAD;
    line.c_cc[VMIN] = 1;
    line.c_cc[VTIME] = 0;
    cfsetispeed(&line, speed);
    cfsetospeed(&line, speed);
    return line;
}

}  // namespace sim
