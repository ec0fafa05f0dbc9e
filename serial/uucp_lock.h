#pragma once

#include <string>
#include <vector>

/// Where programs that follow the UUCP convention leave their LCK..<device> files.
std::vector<std::string> defaultLockDirectories();

/// The name of the lock file for a device: LCK.. and the device's own name, links resolved.
std::string lockFileName(const std::string &devicePath);

/// True when a lock file for the device names a running process other than this one.
/// A lock whose process has ended is stale and ignored. Lock files are only read, never made.
bool uucpLockHeld(const std::string &devicePath,
                  const std::vector<std::string> &lockDirectories = defaultLockDirectories());
