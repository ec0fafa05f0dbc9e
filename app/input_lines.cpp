#include "input_lines.h"

#include <QCoreApplication>
#include <cerrno>
#include <unistd.h>

InputLines::InputLines(int fd, std::size_t keptBytes)
    : m_fd(fd)
    , m_keptBytes(keptBytes)
    , m_notifier(fd, QSocketNotifier::Read)
{
    // Armed whenever no whole line waits, an exchange's waits included: a line that comes in
    // then wakes the exchange's last wait at once, not at the event pump's next wake-up.
    QObject::connect(&m_notifier, &QSocketNotifier::activated, [this] { readSome(); });
}

std::optional<InputLines::Line> InputLines::next()
{
    // The descriptor is left blocking, as the feeder set it (it may be shared with a shell):
    // one read after the notifier has seen data cannot block.
    while (m_lines.empty() && !m_ended)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (m_lines.empty())
        return std::nullopt;
    Line line = std::move(m_lines.front());
    m_lines.pop_front();
    m_notifier.setEnabled(m_lines.empty() && !m_ended);
    return line;
}

void InputLines::readSome()
{
    char chunk[4096];
    const ssize_t got = ::read(m_fd, chunk, sizeof chunk);
    if (got < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (got <= 0) {
        m_error = got < 0 ? errno : 0;
        if (m_partial.length > 0)
            endLine();
        m_ended = true;
        m_notifier.setEnabled(false);
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
    // Nothing more is read while a whole line waits: a feeder that writes ahead is held back
    // by its pipe, and memory stays bounded.
    m_notifier.setEnabled(m_lines.empty());
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
