#include "e2e_rig.h"

#include <algorithm>

namespace {

// The simulator's journal, for a failure message: what crossed the line, and when.
std::string journalOf(const Simulator &device)
{
    std::string text = "\nsimulator journal:\n";
    for (const std::string &line : device.journal().lines())
        text += "  " + line + "\n";
    return text;
}

}  // namespace

testing::AssertionResult shows(Program &program,
                               Simulator &device,
                               const std::string &kind,
                               const std::string &text,
                               std::size_t since)
{
    if (program.waitFor(kind, text, since, {&device.journal()}))
        return testing::AssertionSuccess();
    std::string seen;
    for (const RobotReport &report : program.reports())
        seen += "  " + report.kind + " " + report.text + "\n";
    return testing::AssertionFailure() << kind << " never read \"" << text << "\"; reports:\n"
                                       << seen << journalOf(device);
}

testing::AssertionResult replyShown(Program &program,
                                    Simulator &device,
                                    const std::string &instruction,
                                    const std::string &reply)
{
    const std::size_t since = program.reports().size();
    program.instruct(instruction);
    return shows(program, device, "RxWin0", reply, since);
}

testing::AssertionResult journalHolds(Simulator &device, const std::string &text, int count)
{
    if (waitUntil({&device.journal()}, [&] { return device.count(text) >= count; }))
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "no " << count << " \"" << text << "\" lines" << journalOf(device);
}

int reportsOf(Program &program, const std::string &kind, std::size_t since)
{
    const std::vector<RobotReport> &all = program.reports();
    return static_cast<int>(std::count_if(all.begin() + static_cast<std::ptrdiff_t>(since),
                                          all.end(),
                                          [&](const RobotReport &r) { return r.kind == kind; }));
}
