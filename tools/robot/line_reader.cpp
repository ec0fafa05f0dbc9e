#include "line_reader.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>

LineReader::LineReader(UniqueFd fd)
    : m_fd(std::move(fd))
{
    ::fcntl(m_fd.get(), F_SETFL, ::fcntl(m_fd.get(), F_GETFL) | O_NONBLOCK);
}

void LineReader::drain()
{
    char buffer[4096];
    while (!m_atEnd) {
        const ssize_t count = ::read(m_fd.get(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            break;  // nothing more waits
        m_atEnd = count == 0;
        m_partial.append(buffer, static_cast<std::size_t>(count));
    }
    std::size_t start = 0;
    for (std::size_t end; (end = m_partial.find('\n', start)) != std::string::npos;
         start = end + 1) {
        m_lines.push_back(m_partial.substr(start, end - start));
    }
    m_partial.erase(0, start);
}

bool waitUntil(const std::vector<LineReader *> &sources,
               const std::function<bool()> &condition,
               std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        for (LineReader *source : sources)
            source->drain();
        if (condition())
            return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        std::vector<pollfd> watched;
        for (LineReader *source : sources) {
            if (!source->atEnd())
                watched.push_back({source->fd(), POLLIN, 0});
        }
        ::poll(watched.data(), watched.size(), static_cast<int>(left.count()));
    }
}
