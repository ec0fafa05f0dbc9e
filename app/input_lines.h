#pragma once

#include <QSocketNotifier>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>

/// The lines of a descriptor (standard input), read in the event loop as they come, also while
/// an exchange waits. It reads only when no whole line is left, so a feeder that writes ahead
/// is held back by its pipe, and memory stays bounded whatever arrives.
class InputLines
{
public:
    struct Line
    {
        std::string text;    // at most `keptBytes` of it, without the line end
        std::size_t length;  // the whole line's
    };

    InputLines(int fd, std::size_t keptBytes);

    /// Lets events run until a line is whole, then takes it; nothing at the end of the input.
    /// A line end is LF, or CR LF; a last line without one counts too.
    std::optional<Line> next();
    /// The errno of a read that failed and so ended the input, or 0.
    int error() const { return m_error; }

private:
    void readSome();
    void endLine();

    int m_fd;
    std::size_t m_keptBytes;
    QSocketNotifier m_notifier;
    std::deque<Line> m_lines;
    Line m_partial{{}, 0};
    bool m_partialEndsInCr = false;
    bool m_ended = false;
    int m_error = 0;
};
