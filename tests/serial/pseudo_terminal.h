#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <string>
#include <unistd.h>

/// The master side of a pseudo-terminal: a test plays the device on it, the port opens slavePath.
struct PseudoTerminal
{
    PseudoTerminal()
        : master(::posix_openpt(O_RDWR | O_NOCTTY))
    {
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0)
            slavePath = ::ptsname(master);
    }
    ~PseudoTerminal() { hangUp(); }
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    /// The device goes away, as a pulled USB adapter does.
    void hangUp()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }

    int master;
    std::string slavePath;
};
