#include "e2e_rig.h"

#include <algorithm>

namespace {

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
    // Each report of that kind in turn, until one holds the needle.
    for (std::size_t from = since;;) {
        const std::optional<RobotReport> report = program.waitFor(kind, std::nullopt, from);
        if (!report)
            break;
        if (report->text.find(needle) != std::string::npos)
            return testing::AssertionSuccess();
        const std::vector<RobotReport> &all = program.reports();
        while (all[from].kind != kind || all[from].nanoseconds != report->nanoseconds)
            ++from;
        ++from;
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

int reportsOf(Program &program, const std::string &kind, std::size_t since)
{
    const std::vector<RobotReport> &all = program.reports();
    return static_cast<int>(std::count_if(all.begin() + static_cast<std::ptrdiff_t>(since),
                                          all.end(),
                                          [&](const RobotReport &r) { return r.kind == kind; }));
}
