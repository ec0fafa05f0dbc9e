#include "exchange_journal.h"

#include "failure_messages.h"
#include "frame.h"
#include "trace_text.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A reply or an instruction stays on its line and cannot drive a terminal that shows the file.
std::string cellText(std::string_view engineText)
{
    return latin1ToUtf8(controlsAsCodes(engineText));
}

std::string systemError(int number)
{
    return std::strerror(number);
}

}  // namespace

std::string csvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string isoLocalTime(std::chrono::system_clock::time_point when)
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch());
    const std::time_t seconds =
        static_cast<std::time_t>(std::chrono::floor<std::chrono::seconds>(ms).count());
    std::tm local{};
    ::localtime_r(&seconds, &local);
    char text[48];
    std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    const long offsetMinutes = local.tm_gmtoff / 60;
    std::snprintf(text + length,
                  sizeof text - length,
                  ".%03d%c%02ld:%02ld",
                  static_cast<int>(((ms.count() % 1000) + 1000) % 1000),
                  offsetMinutes < 0 ? '-' : '+',
                  std::labs(offsetMinutes) / 60,
                  std::labs(offsetMinutes) % 60);
    return text;
}

ExchangeJournal::ExchangeJournal(WallClock now)
    : m_now(now ? std::move(now) : [] { return std::chrono::system_clock::now(); })
{}

ExchangeJournal::~ExchangeJournal()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool ExchangeJournal::open(const std::string &path)
{
    close();
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0644);
    if (fd < 0) {
        complain("Journal " + path + " : ouverture impossible (" + systemError(errno) +
                 ") ; les échanges ne sont pas enregistrés");
        return false;
    }
    m_fd = fd;
    m_path = path;
    m_writeTroubleSaid = false;
    struct stat status = {};
    m_headerOwed = ::fstat(fd, &status) == 0 && status.st_size == 0;
    writeUnwritten();
    return true;
}

void ExchangeJournal::close()
{
    m_inExchange = false;
    if (m_fd < 0)
        return;
    ::close(m_fd);
    m_fd = -1;
    m_headerOwed = false;
    if (m_unwritten.empty() && m_lost == 0)
        return;
    // Nothing lost silently: whoever reads the error stream gets the lines the file missed.
    complain("Journal " + m_path + " : " + std::to_string(m_unwritten.size() + m_lost) +
             " échange(s) non enregistré(s)" +
             (m_unwritten.empty() ? std::string() : ", recopiés sur la sortie d'erreur"));
    for (const std::string &line : m_unwritten)
        std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    m_unwritten.clear();
    m_lost = 0;
}

void ExchangeJournal::beginExchange(std::string_view instruction, int port, bool speed9600)
{
    m_inExchange = m_fd >= 0;
    if (!m_inExchange)
        return;
    const std::size_t index = port >= 1 && port <= 4 ? static_cast<std::size_t>(port - 1) : 0;
    m_started = csvField(isoLocalTime(m_now())) + ",COM" + std::to_string(index + 1) + ',' +
                csvField(m_devicePaths[index]) + ',' + (speed9600 ? "9600" : "1200") + ',' +
                csvField(cellText(instruction)) + ',';
    m_outcome = Outcome::None;
    m_outcomeText.clear();
}

void ExchangeJournal::noteReply(std::string_view reply)
{
    note(Outcome::Reply, cellText(reply));
}

void ExchangeJournal::noteProblem(std::string_view caption)
{
    if (caption.starts_with(kProblemPrefix))
        caption.remove_prefix(kProblemPrefix.size());
    note(Outcome::Problem, cellText(caption));
}

void ExchangeJournal::noteFailure(std::int32_t number)
{
    note(Outcome::Failure, std::to_string(number));
}

void ExchangeJournal::note(Outcome outcome, std::string text)
{
    // A later problem of the same kind says more of how the exchange ended than the first.
    if (!m_inExchange || outcome < m_outcome)
        return;
    m_outcome = outcome;
    m_outcomeText = std::move(text);
}

void ExchangeJournal::endExchange()
{
    if (!m_inExchange)
        return;
    m_inExchange = false;
    std::string line = m_started;
    switch (m_outcome) {
    case Outcome::Reply:
        line += "réponse,";
        break;
    case Outcome::Failure:
        line += "échec,";
        break;
    default:
        line += "problème,";
        break;
    }
    // The engine reports at most one problem a second: a quieter one still ends here.
    line += csvField(m_outcome == Outcome::None ? "sans réponse vérifiée" : m_outcomeText);
    line += "\r\n";
    if (m_unwritten.size() >= kUnwrittenLimit) {
        m_unwritten.pop_front();
        ++m_lost;
    }
    m_unwritten.push_back(std::move(line));
    writeUnwritten();
}

void ExchangeJournal::writeUnwritten()
{
    while (m_headerOwed || !m_unwritten.empty()) {
        if (!writeAll(m_headerOwed ? kHeader : std::string_view(m_unwritten.front()))) {
            if (!m_writeTroubleSaid) {
                m_writeTroubleSaid = true;
                complain("Journal " + m_path + " : écriture impossible (" + systemError(errno) +
                         ") ; les échanges sont gardés en mémoire et écrits dès que le fichier "
                         "le permet");
            }
            return;
        }
        if (m_headerOwed)
            m_headerOwed = false;
        else
            m_unwritten.pop_front();
    }
    // Written out again: the next trouble is news.
    m_writeTroubleSaid = false;
}

bool ExchangeJournal::writeAll(std::string_view text)
{
    // One write a line, unbuffered: on disk as soon as the exchange ends. A short write (the
    // disk filled up inside the line) is taken back, so that the line is written whole later.
    const off_t before = ::lseek(m_fd, 0, SEEK_END);
    const ssize_t written = ::write(m_fd, text.data(), text.size());
    if (written == static_cast<ssize_t>(text.size()))
        return true;
    const int error = written < 0 ? errno : ENOSPC;
    if (written > 0 && before >= 0)
        (void)::ftruncate(m_fd, before);
    errno = error;
    return false;
}

void ExchangeJournal::complain(const std::string &text)
{
    if (m_complaint)
        m_complaint(text);
}
