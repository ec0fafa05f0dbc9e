#pragma once

#include <optional>
#include <string>
#include <vector>

/// Where programs that follow the UUCP convention leave their LCK..<device> files.
std::vector<std::string> defaultLockDirectories();

/// The name of the lock file for a device: LCK.. and the device's own name, links resolved.
std::string lockFileName(const std::string &devicePath);

/// Takes the device's lock for this process: makes LCK..<device>, holding the pid, in the first
/// lock directory that can be written, taking over a lock whose process has ended. Gives nothing
/// when another process holds the device, or when a lock file cannot be trusted (not a plain
/// file, or unreadable). Otherwise gives the path of the file made, to hand to releaseUucpLock;
/// empty where no file was made (no writable lock directory, or this process holds it already).
std::optional<std::string>
takeUucpLock(const std::string &devicePath,
             const std::vector<std::string> &lockDirectories = defaultLockDirectories());

/// Removes a lock file that takeUucpLock made. An empty path is nothing to remove.
void releaseUucpLock(const std::string &lockPath);
