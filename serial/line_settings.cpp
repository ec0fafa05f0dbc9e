#include "line_settings.h"

#include <array>
#include <cctype>
#include <utility>
#include <vector>

namespace {

constexpr std::array<std::pair<std::string_view, speed_t>, 10> kSpeeds{{
    {"300", B300},
    {"600", B600},
    {"1200", B1200},
    {"2400", B2400},
    {"4800", B4800},
    {"9600", B9600},
    {"19200", B19200},
    {"38400", B38400},
    {"57600", B57600},
    {"115200", B115200},
}};

std::vector<std::string_view> splitFields(std::string_view text)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        fields.push_back(text.substr(start, comma - start));
        if (comma == std::string_view::npos)
            return fields;
        start = comma + 1;
    }
}

std::optional<speed_t> speedFor(std::string_view baud)
{
    for (const auto &[name, speed] : kSpeeds) {
        if (name == baud)
            return speed;
    }
    return std::nullopt;
}

tcflag_t characterSizeFlag(int dataBits)
{
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

}  // namespace

std::optional<LineSettings> parseLineSettings(std::string_view text)
{
    const std::vector<std::string_view> fields = splitFields(text);
    if (fields.size() != 4)
        return std::nullopt;

    LineSettings settings;
    const std::optional<speed_t> speed = speedFor(fields[0]);
    if (!speed)
        return std::nullopt;
    settings.speed = *speed;

    if (fields[1].size() != 1)
        return std::nullopt;
    settings.parity = static_cast<char>(std::tolower(static_cast<unsigned char>(fields[1][0])));
    if (settings.parity != 'n' && settings.parity != 'e' && settings.parity != 'o')
        return std::nullopt;

    if (fields[2].size() != 1 || fields[2][0] < '5' || fields[2][0] > '8')
        return std::nullopt;
    settings.dataBits = fields[2][0] - '0';

    if (fields[3] != "1" && fields[3] != "2")
        return std::nullopt;
    settings.stopBits = fields[3][0] - '0';
    return settings;
}

termios rawLineTermios(const termios &current, const LineSettings &settings)
{
    termios t = current;

    // Only these input flags: no break or parity character is dropped, stripped or turned into a
    // signal, nothing is translated, and no XON/XOFF character is taken for flow control.
    t.c_iflag = INPCK | PARMRK;
    t.c_oflag = 0;
    t.c_lflag = 0;

    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | CMSPAR);
    t.c_cflag |= characterSizeFlag(settings.dataBits) | CREAD | CLOCAL;
    if (settings.parity != 'n')
        t.c_cflag |= PARENB;
    if (settings.parity == 'o')
        t.c_cflag |= PARODD;
    if (settings.stopBits == 2)
        t.c_cflag |= CSTOPB;

    // Reads never wait: the caller asks how much is there and comes back later.
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;

    cfsetispeed(&t, settings.speed);
    cfsetospeed(&t, settings.speed);
    return t;
}
