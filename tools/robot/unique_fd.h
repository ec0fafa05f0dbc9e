#pragma once

#include <unistd.h>
#include <utility>

/// A descriptor closed when it goes.
class UniqueFd
{
public:
    explicit UniqueFd(int fd = -1)
        : m_fd(fd)
    {}
    ~UniqueFd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    UniqueFd(UniqueFd &&other) noexcept
        : m_fd(std::exchange(other.m_fd, -1))
    {}
    UniqueFd &operator=(UniqueFd &&other) noexcept
    {
        std::swap(m_fd, other.m_fd);
        return *this;
    }

    int get() const { return m_fd; }

private:
    int m_fd;
};

/// A pipe whose two ends are closed on exec: a child gets an end only when it is handed over.
struct Pipe
{
    Pipe();
    UniqueFd readEnd;
    UniqueFd writeEnd;
};
