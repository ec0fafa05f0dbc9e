#include "process_cpu.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

double cpuMilliseconds(pid_t pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    const std::string line((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    // The command name, in parentheses, may hold spaces: fields are counted after its end.
    const std::size_t nameEnd = line.rfind(')');
    if (nameEnd == std::string::npos)
        throw std::runtime_error("no /proc/" + std::to_string(pid) + "/stat");
    std::istringstream fields(line.substr(nameEnd + 2));
    const std::vector<std::string> values{std::istream_iterator<std::string>(fields), {}};
    // After the name: state is field 3, utime field 14, stime field 15.
    const double ticks = std::stod(values.at(11)) + std::stod(values.at(12));
    return ticks * 1000.0 / static_cast<double>(::sysconf(_SC_CLK_TCK));
}
