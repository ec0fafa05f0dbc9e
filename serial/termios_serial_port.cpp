#include "termios_serial_port.h"

#include "comm_error.h"
#include "failure_numbers.h"
#include "held_lines.h"
#include "line_settings.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <utility>

using namespace comm_errors;

namespace {

// Enough for any burst a line at these speeds can bring between two looks, while a flood
// from a runaway device cannot keep one read going forever.
constexpr std::size_t kChunkSize = 512;
constexpr int kMaxChunksPerRead = 64;

// Output waiting beyond this is reported as a full transmit buffer; none of it is dropped.
constexpr std::size_t kTransmitBufferSize = 512;

// The part of the settings that makes the character frame.
constexpr tcflag_t kFrameFlags = CSIZE | PARENB | PARODD | CSTOPB;

// Device numbers of the pseudo-terminal slaves (/dev/pts/N).
constexpr unsigned int kFirstPtySlaveMajor = 136;
constexpr unsigned int kLastPtySlaveMajor = 143;

class UniqueFd
{
public:
    explicit UniqueFd(int fd)
        : m_fd(fd)
    {}
    ~UniqueFd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

[[noreturn]] void throwSetupFailure(int error, const std::string &path, const char *step)
{
    throw CommError(setupFailureNumber(error), path + ": " + step + ": " + std::strerror(error));
}

// A pseudo-terminal always keeps 8 bits without parity, whatever it is asked (and glibc then
// reports EINVAL). It has no wire for the frame to matter on: only its speed must be taken.
bool isPseudoTerminal(int fd)
{
    struct stat device;
    if (::fstat(fd, &device) != 0 || !S_ISCHR(device.st_mode))
        return false;
    const unsigned int kind = major(device.st_rdev);
    return kind >= kFirstPtySlaveMajor && kind <= kLastPtySlaveMajor;
}

// A serial driver waits up to its closing time (30 s by default) at close for output to drain.
// Output is discarded before every close anyway; where the driver lets us, we make sure.
std::optional<unsigned short> stopClosingWait(int fd)
{
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) != 0 || serial.closing_wait == ASYNC_CLOSING_WAIT_NONE)
        return std::nullopt;
    const unsigned short before = serial.closing_wait;
    serial.closing_wait = ASYNC_CLOSING_WAIT_NONE;
    if (::ioctl(fd, TIOCSSERIAL, &serial) != 0)
        return std::nullopt;
    return before;
}

void restoreClosingWait(int fd, unsigned short closingWait)
{
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) != 0)
        return;
    serial.closing_wait = closingWait;
    ::ioctl(fd, TIOCSSERIAL, &serial);
}

bool hungUp(int fd)
{
    pollfd line{fd, POLLIN, 0};
    return ::poll(&line, 1, 0) > 0 && (line.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

}  // namespace

TermiosSerialPort::DevicePaths TermiosSerialPort::defaultDevicePaths()
{
    return {"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3"};
}

TermiosSerialPort::TermiosSerialPort(DevicePaths paths, std::vector<std::string> lockDirectories)
    : m_paths(std::move(paths))
    , m_lockDirectories(std::move(lockDirectories))
{}

TermiosSerialPort::~TermiosSerialPort()
{
    close();
}

void TermiosSerialPort::setDataWatcher(DataWatcher *watcher)
{
    if (PortOpen() && m_watcher)
        m_watcher->unwatch();
    m_watcher = watcher;
    if (PortOpen() && m_watcher)
        m_watcher->watch(m_fd);
}

void TermiosSerialPort::setPortOpen(bool open)
{
    if (open && !PortOpen())
        this->open();
    else if (!open)
        close();
}

void TermiosSerialPort::open()
{
    if (m_commPort < 1 || m_commPort > static_cast<int>(m_paths.size()))
        throw CommError(kDeviceMissing, "COM" + std::to_string(m_commPort) + " does not exist");
    const std::string &path = m_paths[static_cast<std::size_t>(m_commPort - 1)];
    if (path.empty())  // checked here, or a lock file "LCK.." would be made for it
        throw CommError(kDeviceMissing, "COM" + std::to_string(m_commPort) + " has no device");
    const std::optional<LineSettings> settings = parseLineSettings(m_settings);
    if (!settings)
        throw CommError(kSettingsRefused, "settings \"" + m_settings + "\" are not usable");
    // The lock comes first: opening the device may already disturb whoever uses the line.
    const std::optional<std::string> lockPath = takeUucpLock(path, m_lockDirectories);
    if (!lockPath)
        throw CommError(kPortBusy, path + " is locked by another program");
    try {
        m_fd = openLine(path, *settings);
    } catch (...) {
        releaseUucpLock(*lockPath);
        throw;
    }
    m_lockPath = *lockPath;
    recordHeldLine(m_fd, m_lockPath);
    m_closingWait = stopClosingWait(m_fd);
    m_openPath = path;
    m_pending.clear();
    m_received.clear();
    m_decoder.reset();
    m_event = comm_events::kNone;
    m_lineGone = false;
    m_errorCounts = readErrorCounts();
    m_modemLines = readModemLines();
    if (m_watcher)
        m_watcher->watch(m_fd);
}

int TermiosSerialPort::openLine(const std::string &path, const LineSettings &settings)
{
    // Non-blocking, so that opening never waits for carrier detect.
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0)
        throwSetupFailure(errno, path, "open");
    if (!::isatty(fd.get()))
        throwSetupFailure(ENOTTY, path, "open");
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        throwSetupFailure(errno, path, "lock");
    // Later opens by other programs are refused too (root excepted). Harmless where unsupported.
    ::ioctl(fd.get(), TIOCEXCL);

    termios current{};
    if (::tcgetattr(fd.get(), &current) != 0)
        throwSetupFailure(errno, path, "read settings");
    const termios wanted = rawLineTermios(current, settings);
    const bool pseudoTerminal = isPseudoTerminal(fd.get());
    if (::tcsetattr(fd.get(), TCSANOW, &wanted) != 0 && !(errno == EINVAL && pseudoTerminal))
        throwSetupFailure(errno, path, "apply settings");
    // tcsetattr succeeds when the driver took any part of the request, so look at what it took.
    termios applied{};
    if (::tcgetattr(fd.get(), &applied) != 0)
        throwSetupFailure(errno, path, "read settings");
    if (::cfgetospeed(&applied) != settings.speed || ::cfgetispeed(&applied) != settings.speed)
        throwSetupFailure(EINVAL, path, "apply speed");
    if (!pseudoTerminal && (applied.c_cflag & kFrameFlags) != (wanted.c_cflag & kFrameFlags))
        throwSetupFailure(EINVAL, path, "apply character frame");

    // A pseudo-terminal has no modem lines: it refuses these, which is no failure.
    int raise = 0;
    int lower = 0;
    (m_dtrEnable ? raise : lower) |= TIOCM_DTR;
    (m_rtsEnable ? raise : lower) |= TIOCM_RTS;
    if (raise != 0)
        ::ioctl(fd.get(), TIOCMBIS, &raise);
    if (lower != 0)
        ::ioctl(fd.get(), TIOCMBIC, &lower);
    return fd.release();
}

void TermiosSerialPort::close()
{
    if (!PortOpen())
        return;
    if (m_watcher)
        m_watcher->unwatch();
    forgetHeldLine(m_fd);
    // Output still waiting is dropped: a line that does not drain must not hold the close up.
    discardOutput();
    if (m_closingWait)
        restoreClosingWait(m_fd, *m_closingWait);
    ::ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);  // also releases the flock
    m_fd = -1;
    releaseUucpLock(std::exchange(m_lockPath, {}));
    m_received.clear();
    m_event = comm_events::kNone;
    m_lineGone = false;
}

void TermiosSerialPort::giveUpLine(const std::string &what)
{
    const std::string path = m_openPath;
    close();
    throw CommError(kDeviceLost, path + ": " + what);
}

std::optional<ErrorCounts> TermiosSerialPort::readErrorCounts() const
{
    serial_icounter_struct counters{};
    if (::ioctl(m_fd, TIOCGICOUNT, &counters) != 0)
        return std::nullopt;
    return ErrorCounts{counters.frame, counters.overrun, counters.parity, counters.buf_overrun};
}

std::optional<int> TermiosSerialPort::readModemLines() const
{
    int lines = 0;
    if (::ioctl(m_fd, TIOCMGET, &lines) != 0)
        return std::nullopt;
    return lines;
}

// Takes in whatever the driver holds and records the events of this read. A line found gone
// is given up only once the characters received before are taken, so none of them is lost.
void TermiosSerialPort::receive()
{
    const std::size_t before = m_received.size();
    ParmrkDecoder::Marks marks;
    bool readSomething = false;
    int lossError = 0;
    for (int chunk = 0; !m_lineGone && chunk < kMaxChunksPerRead;) {
        char raw[kChunkSize];
        const ssize_t n = ::read(m_fd, raw, sizeof raw);
        if (n > 0) {
            const ParmrkDecoder::Marks found =
                m_decoder.decode({raw, static_cast<std::size_t>(n)}, m_received);
            marks.badCharacters += found.badCharacters;
            marks.breaks += found.breaks;
            readSomething = true;
            ++chunk;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n == 0 || errno == EAGAIN || errno == EWOULDBLOCK) {
            break;
        } else {
            lossError = errno;
            m_lineGone = true;
        }
    }
    // A hung-up terminal reads as empty: only poll tells it from a quiet line.
    if (!readSomething && !m_lineGone && hungUp(m_fd))
        m_lineGone = true;

    if (m_lineGone && m_received.empty())
        giveUpLine(lossError != 0 ? std::strerror(lossError) : "hung up");

    if (readSomething) {
        ReceptionSummary summary;
        summary.charactersReceived = m_received.size() > before;
        summary.endOfFileReceived = m_received.find('\x1a', before) != std::string::npos;
        summary.breaks = marks.breaks;
        summary.badCharacters = marks.badCharacters;
        if (m_errorCounts) {
            const std::optional<ErrorCounts> now = readErrorCounts();
            if (now) {
                summary.errorsRise = countsRise(*m_errorCounts, *now);
                m_errorCounts = now;
            }
        }
        m_receptionFaults += spoiledCharacters(summary);
        if (const int event = latestReceptionEvent(summary); event != comm_events::kNone)
            m_event = event;
    }
    // The descriptor is drained: the watcher may wake on what comes next. A line found gone
    // stays disarmed, or its hang-up would wake the program again and again.
    if (m_watcher && !m_lineGone)
        m_watcher->rearm();
}

// Writes as much waiting output as the driver takes now; output all taken at last is a
// character sent, which also ends a full transmit buffer's report. A write refused for any
// other reason than a full queue means the line is gone: it is given up as when a read finds it.
void TermiosSerialPort::sendPending()
{
    while (!m_pending.empty() && !m_lineGone) {
        const ssize_t n = ::write(m_fd, m_pending.data(), m_pending.size());
        if (n > 0) {
            m_pending.erase(0, static_cast<std::size_t>(n));
            if (m_pending.empty())
                m_event = comm_events::kCharacterSent;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n == 0 || errno == EAGAIN || errno == EWOULDBLOCK) {
            return;
        } else {
            m_lineGone = true;
            m_pending.clear();
        }
    }
}

// Modem lines change without any data. One look per reception pass: each look may be a
// round trip to a USB adapter, and every reading of CommEvent in a pass must agree.
void TermiosSerialPort::lookAtModemLines()
{
    if (!m_modemLines)
        return;
    const std::optional<int> now = readModemLines();
    if (now) {
        if (const int event = latestModemLineEvent(*m_modemLines, *now);
            event != comm_events::kNone)
            m_event = event;
    }
    m_modemLines = now;  // a line that stops answering is not asked again
}

int TermiosSerialPort::InBufferCount()
{
    if (!PortOpen())
        return 0;
    sendPending();
    receive();
    lookAtModemLines();
    return static_cast<int>(std::min<std::size_t>(m_received.size(), INT_MAX));
}

std::string TermiosSerialPort::Input()
{
    if (!PortOpen())
        throw CommError(kPortClosed, "Input on a closed port");
    sendPending();
    receive();
    std::size_t count = m_received.size();
    if (m_inputLen > 0)
        count = std::min(count, static_cast<std::size_t>(m_inputLen));
    std::string taken = m_received.substr(0, count);
    m_received.erase(0, count);
    return taken;
}

void TermiosSerialPort::Output(const std::string &text)
{
    if (!PortOpen())
        throw CommError(kPortClosed, "Output on a closed port");
    m_pending += text;
    sendPending();
    if (m_lineGone)
        giveUpLine("hung up");
    // A slow line loses nothing, but the operator hears that it does not keep up.
    m_event = m_pending.size() > kTransmitBufferSize ? comm_events::kTransmitBufferFull
                                                     : comm_events::kCharacterSent;
}

int TermiosSerialPort::OutBufferCount() const
{
    return PortOpen() ? static_cast<int>(std::min<std::size_t>(m_pending.size(), INT_MAX)) : 0;
}

void TermiosSerialPort::discardOutput()
{
    if (!PortOpen())
        return;
    m_pending.clear();
    ::tcflush(m_fd, TCOFLUSH);
}

int TermiosSerialPort::CommEvent()
{
    // Only a record: the engine reads it many times in a row and every reading must agree.
    return PortOpen() ? m_event : comm_events::kNone;
}
