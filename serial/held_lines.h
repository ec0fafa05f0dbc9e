#pragma once

#include <string>

/// The lines this program holds open, kept in plain static storage so that every way out of
/// the program, a termination signal included, can let go of them.

/// Records an open line and the lock file made for it (may be empty).
void recordHeldLine(int fd, const std::string &lockPath);
/// The line is about to close by itself: nothing more to do for it at the end.
void forgetHeldLine(int fd);

/// Lets go of every held line without closing it: pending output is discarded, exclusive use
/// cleared and the lock file removed. Async-signal-safe; for a program about to end at once.
void releaseHeldLines() noexcept;

/// SIGTERM, SIGINT and SIGHUP release the held lines, then end the program as they would have.
void releaseHeldLinesOnTerminationSignals();
