#pragma once

#include <sys/types.h>

/// Processor time, user and system, that a process has used so far, in milliseconds, as
/// /proc/PID/stat counts it (in clock ticks, usually 10 ms).
double cpuMilliseconds(pid_t pid);
