#pragma once

struct CommandLine;

/// Exit statuses of a run without window.
namespace headless_status {
constexpr int kAllVerified = 0;
constexpr int kProtocolProblem = 1;  // no reply, bad checksum, no ACK..., or the run timed out
constexpr int kPortFailure = 2;
constexpr int kBadUsage = 64;
constexpr int kStreamFailure = 74;  // standard output cannot be written, or input read
}  // namespace headless_status

/// Sends the command line's instructions, or those of standard input as they arrive, one after
/// another through the engine, as the window would, and returns the exit status. Needs a
/// QCoreApplication, never a display. A port failure ends the run: the following instructions
/// could not go out either.
int runHeadlessSend(const CommandLine &commandLine);
