#include "input_lines.h"

#include <QCoreApplication>
#include <cerrno>
#include <unistd.h>

InputLines::InputLines(int fd, std::size_t keptBytes)
    : m_fd(fd)
    , m_keptBytes(keptBytes)
    , m_notifier(fd, QSocketNotifier::Read)
{
    m_notifier.setEnabled(false);
    QObject::connect(&m_notifier, &QSocketNotifier::activated, [this] { readSome(); });
}

std::optional<InputLines::Line> InputLines::next()
{
    // The descriptor is left blocking, as the feeder set it (it may be shared with a shell):
    // one read after the notifier has seen data cannot block.
    m_notifier.setEnabled(true);
    while (m_lines.empty() && !m_ended)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    m_notifier.setEnabled(false);
    if (m_lines.empty())
        return std::nullopt;
    Line line = std::move(m_lines.front());
    m_lines.pop_front();
    return line;
}

void InputLines::readSome()
{
    if (!m_lines.empty() || m_ended)
        return;
    char chunk[4096];
    const ssize_t got = ::read(m_fd, chunk, sizeof chunk);
    if (got < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (got <= 0) {
        m_error = got < 0 ? errno : 0;
        if (m_partial.length > 0)
            endLine();
        m_ended = true;
        return;
    }
    for (ssize_t i = 0; i < got; ++i) {
        if (chunk[i] == '\n') {
            endLine();
            continue;
        }
        // Past what can ever be sent only the length is kept: the line is refused anyway.
        if (m_partial.text.size() < m_keptBytes)
            m_partial.text += chunk[i];
        ++m_partial.length;
        m_partialEndsInCr = chunk[i] == '\r';
    }
}

void InputLines::endLine()
{
    if (m_partialEndsInCr) {
        if (m_partial.text.size() == m_partial.length)
            m_partial.text.pop_back();
        --m_partial.length;
    }
    m_lines.push_back(std::move(m_partial));
    m_partial = Line{{}, 0};
    m_partialEndsInCr = false;
}
