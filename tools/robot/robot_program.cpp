#include "robot_program.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace {

// The numbers the robot's descriptors get in the program, well clear of anything it opens.
constexpr int kOrderFd = 100;
constexpr int kReportFd = 101;

std::string unescaped(std::string_view text)
{
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size())
            plain += text[++i] == 'n' ? '\n' : text[i];
        else
            plain += text[i];
    }
    return plain;
}

std::vector<std::pair<int, int>> childDescriptors(int orders, int reports, int standardError)
{
    std::vector<std::pair<int, int>> descriptors = {{orders, kOrderFd}, {reports, kReportFd}};
    if (standardError >= 0)
        descriptors.emplace_back(standardError, STDERR_FILENO);
    return descriptors;
}

RobotReport parsed(const std::string &line)
{
    // "KIND NANOSECONDS[ TEXT]"
    RobotReport report;
    const std::size_t kindEnd = line.find(' ');
    report.kind = line.substr(0, kindEnd);
    const std::size_t timeEnd = line.find(' ', kindEnd + 1);
    report.nanoseconds = std::stoll(line.substr(kindEnd + 1, timeEnd - kindEnd - 1));
    if (timeEnd != std::string::npos)
        report.text = unescaped(std::string_view(line).substr(timeEnd + 1));
    return report;
}

}  // namespace

ScratchConfigHome::ScratchConfigHome()
{
    std::string pattern =
        (std::filesystem::temp_directory_path() / "comrs232-config-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("no scratch folder for the program's configuration");
    m_path = pattern;
}

ScratchConfigHome::~ScratchConfigHome()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

long long monotonicNanoseconds()
{
    // steady_clock reads CLOCK_MONOTONIC on Linux, as the robot's clock does.
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

RobotProgram::RobotProgram(const std::string &program,
                           const std::string &robotPluginPath,
                           const std::vector<std::string> &arguments,
                           int standardError)
    : m_process(
          program,
          {arguments,
           {"QT_QPA_PLATFORM=offscreen",
            "QT_PLUGIN_PATH=" + robotPluginPath,
            "QT_QPA_GENERIC_PLUGINS=comrsrobot",
            "XDG_CONFIG_HOME=" + m_configHome.path(),
            "COMRS_ROBOT_FD=" + std::to_string(kOrderFd),
            "COMRS_ROBOT_REPORT_FD=" + std::to_string(kReportFd)},
           childDescriptors(m_orders.readEnd.get(), m_reportPipe.writeEnd.get(), standardError)})
    , m_reportLines(std::move(m_reportPipe.readEnd))
{
    m_orders.readEnd = UniqueFd();
    m_reportPipe.writeEnd = UniqueFd();
    // An order to a program that has died must fail with a message, not end the caller.
    std::signal(SIGPIPE, SIG_IGN);
}

void RobotProgram::order(const std::string &line)
{
    const std::string bytes = line + '\n';
    if (::write(m_orders.writeEnd.get(), bytes.data(), bytes.size()) !=
        static_cast<ssize_t>(bytes.size()))
        throw std::runtime_error("the robot takes no more orders");
}

void RobotProgram::instruct(const std::string &instruction)
{
    order("clear");
    if (!instruction.empty())
        order("type " + instruction);
    order("enter");
}

const std::vector<RobotReport> &RobotProgram::reports()
{
    m_reportLines.drain();
    for (std::size_t i = m_reports.size(); i < m_reportLines.lines().size(); ++i)
        m_reports.push_back(parsed(m_reportLines.lines()[i]));
    return m_reports;
}

std::optional<RobotReport> RobotProgram::waitFor(std::string_view kind,
                                                 std::optional<std::string_view> text,
                                                 std::size_t since,
                                                 std::initializer_list<LineReader *> also)
{
    std::optional<RobotReport> found;
    const auto seen = [&] {
        const std::vector<RobotReport> &all = reports();
        for (std::size_t i = since; i < all.size() && !found; ++i) {
            if (all[i].kind == kind && (!text || all[i].text == *text))
                found = all[i];
        }
        return found.has_value();
    };
    std::vector<LineReader *> sources{&m_reportLines};
    sources.insert(sources.end(), also.begin(), also.end());
    waitUntil(sources, seen);
    return found;
}

std::map<std::string, std::string> RobotProgram::state()
{
    const std::size_t since = reports().size();
    order("state");
    std::map<std::string, std::string> boxes;
    if (!waitFor("state:end", std::nullopt, since))
        return boxes;
    for (std::size_t i = since; i < m_reports.size(); ++i) {
        const std::string &kind = m_reports[i].kind;
        if (kind.starts_with("state:") && kind != "state:end")
            boxes[kind.substr(6)] = m_reports[i].text;
    }
    return boxes;
}
