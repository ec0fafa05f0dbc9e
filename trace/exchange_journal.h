#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

/// The record on disk: one CSV line (RFC 4180, UTF-8) per operator exchange, appended and
/// flushed as the exchange ends, with a header line when the file is new or empty. A file that
/// cannot be opened or written is said once, through the complaint, and the tool goes on; lines
/// that could not be written wait in memory and go out, in order, at the next exchange that can
/// write them, so that a full disk loses nothing once it has room again.
class ExchangeJournal
{
public:
    using WallClock = std::function<std::chrono::system_clock::time_point()>;
    /// Told in French (UTF-8), once for each trouble.
    using Complaint = std::function<void(const std::string &)>;

    /// Lines kept while the file cannot take them; beyond, the oldest are lost and counted.
    static constexpr std::size_t kUnwrittenLimit = 10000;
    static constexpr std::string_view kHeader =
        "heure,port,chemin,vitesse,instruction,issue,texte\r\n";

    explicit ExchangeJournal(WallClock now = {});
    ~ExchangeJournal();
    ExchangeJournal(const ExchangeJournal &) = delete;
    ExchangeJournal &operator=(const ExchangeJournal &) = delete;

    /// The device paths of COM1 .. COM4, for the path column.
    void setDevicePaths(const std::array<std::string, 4> &paths) { m_devicePaths = paths; }
    void setComplaint(Complaint complaint) { m_complaint = std::move(complaint); }

    /// Appends to `path` from now on (created if missing); false, said, when it cannot.
    bool open(const std::string &path);
    /// Stops writing. Lines never written go to standard error, said.
    void close();
    bool isOpen() const { return m_fd >= 0; }
    const std::string &path() const { return m_path; }
    /// Exchanges ended but not yet on disk.
    std::size_t unwritten() const { return m_unwritten.size(); }

    /// An operator exchange begins; `instruction` is engine text (Latin-1). No-op when closed.
    void beginExchange(std::string_view instruction, int port, bool speed9600);
    // What the exchange met, engine texts (Latin-1). The line keeps a verified reply over a
    // failure, and a failure over a problem.
    void noteReply(std::string_view reply);
    void noteProblem(std::string_view caption);
    void noteFailure(std::int32_t number);
    /// Writes the exchange's line. An exchange with nothing to show says so.
    void endExchange();

private:
    enum class Outcome { None, Problem, Failure, Reply };

    void note(Outcome outcome, std::string text);
    bool writeAll(std::string_view text);
    void writeUnwritten();
    void complain(const std::string &text);

    WallClock m_now;
    Complaint m_complaint;
    std::array<std::string, 4> m_devicePaths;
    std::string m_path;
    int m_fd = -1;

    bool m_inExchange = false;
    std::string m_started;  // the exchange's line up to its outcome
    Outcome m_outcome = Outcome::None;
    std::string m_outcomeText;

    bool m_headerOwed = false;
    std::deque<std::string> m_unwritten;
    std::size_t m_lost = 0;  // dropped from m_unwritten for want of room
    bool m_writeTroubleSaid = false;
};

/// A field as RFC 4180 wants it: quoted, inner quotes doubled, when it holds a comma, a quote or
/// a line break.
std::string csvField(std::string_view text);

/// "2026-12-07T05:12:03.045+01:00": local time with milliseconds and the UTC offset.
std::string isoLocalTime(std::chrono::system_clock::time_point when);
