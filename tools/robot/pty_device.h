#pragma once

#include "unique_fd.h"

#include <string>

/// A pseudo-terminal whose master side a test or the benchmark plays as the device, byte for
/// byte, so that it knows to the microsecond when a character is sent.
class PtyDevice
{
public:
    PtyDevice();

    /// The side the tool opens.
    const std::string &path() const { return m_path; }
    /// Reads one instruction frame, up to its second checksum digit; empty after `limitMs`.
    std::string readFrame(int limitMs);
    /// Takes whatever the tool has sent and not yet been read.
    std::string drain();
    void write(const std::string &bytes);

private:
    UniqueFd m_master;
    UniqueFd m_slave;  // held open, so that the master never reads a hang-up while the tool is away
    std::string m_path;
};
