#pragma once

/// While the window's application is being made: a Qt failure there (no display to reach, most
/// often) ends the program with a French word on what to do and exit status 1, instead of Qt's
/// abort and its core dump. Call before constructing QApplication and end() right after.
class NoDisplayGuard
{
public:
    NoDisplayGuard();
    ~NoDisplayGuard() { end(); }
    NoDisplayGuard(const NoDisplayGuard &) = delete;
    NoDisplayGuard &operator=(const NoDisplayGuard &) = delete;

    /// Qt's own handling of fatal messages again, for the rest of the run.
    void end();

private:
    bool m_active = true;
};
