#include "sim_line.h"

#include "line_settings.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sim {

namespace {

[[noreturn]] void fail(const std::string &what)
{
    throw std::runtime_error(what + " : " + std::strerror(errno));
}

speed_t checkedSpeed(int baud)
{
    const auto speed = speedFor(baud);
    if (!speed) {
        throw std::runtime_error("vitesse non prise en charge : " + std::to_string(baud));
    }
    return *speed;
}

void applyLineSettings(int fd, speed_t speed, const std::string &path)
{
    termios current{};
    if (tcgetattr(fd, &current) != 0) {
        fail("réglage impossible de " + path);
    }
    const termios wanted = deviceLineSettings(current, speed);
    if (tcsetattr(fd, TCSANOW, &wanted) != 0) {
        fail("réglage impossible de " + path);
    }
}

}  // namespace

std::unique_ptr<SimLine> SimLine::openPseudoTerminal(int baud)
{
    const speed_t speed = checkedSpeed(baud);
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        fail("pseudo-terminal impossible à créer");
    }
    char name[PATH_MAX];
    if (grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name, sizeof name) != 0) {
        const int saved = errno;
        close(master);
        errno = saved;
        fail("pseudo-terminal impossible à préparer");
    }
    // The simulator keeps the slave open for its whole run. Without it, reading the master fails
    // and polling it reports a hang-up in a tight loop whenever the tool has the line closed;
    // and the slave stays raw, so nothing written before the tool opens it is echoed back.
    const int slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        const int saved = errno;
        close(master);
        errno = saved;
        fail(std::string("ouverture impossible de ") + name);
    }
    auto line = std::unique_ptr<SimLine>(new SimLine(master, slave, name));
    applyLineSettings(slave, speed, line->m_path);
    if (fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK) != 0) {
        fail("pseudo-terminal impossible à préparer");
    }
    return line;
}

std::unique_ptr<SimLine> SimLine::openDevice(const std::string &path, int baud)
{
    const speed_t speed = checkedSpeed(baud);
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        fail("ouverture impossible de " + path);
    }
    auto line = std::unique_ptr<SimLine>(new SimLine(fd, -1, path));
    if (!isatty(fd)) {
        throw std::runtime_error(path + " n'est pas une ligne série");
    }
    applyLineSettings(fd, speed, path);
    tcflush(fd, TCIOFLUSH);
    return line;
}

SimLine::SimLine(int fd, int slaveFd, std::string path)
    : m_fd(fd)
    , m_slaveFd(slaveFd)
    , m_path(std::move(path))
{}

SimLine::~SimLine()
{
    close(m_fd);
    if (m_slaveFd >= 0) {
        close(m_slaveFd);
    }
}

int SimLine::peerBaud() const
{
    termios current{};
    if (m_slaveFd < 0 || tcgetattr(m_slaveFd, &current) != 0) {
        return 0;
    }
    return baudOf(cfgetospeed(&current));
}

long SimLine::writeSome(std::string_view bytes)
{
    if (bytes.empty()) {
        return 0;
    }
    const ssize_t written = write(m_fd, bytes.data(), bytes.size());
    if (written >= 0) {
        return static_cast<long>(written);
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
        return 0;
    }
    return -1;
}

LineLink::LineLink(std::string linkPath, std::string target)
    : m_linkPath(std::move(linkPath))
    , m_target(std::move(target))
{
    struct stat existing
    {};
    if (lstat(m_linkPath.c_str(), &existing) == 0) {
        if (!S_ISLNK(existing.st_mode)) {
            throw std::runtime_error(
                m_linkPath + " existe et n'est pas un lien symbolique : je ne le remplace pas");
        }
        if (unlink(m_linkPath.c_str()) != 0) {
            fail("lien impossible à remplacer : " + m_linkPath);
        }
    }
    if (symlink(m_target.c_str(), m_linkPath.c_str()) != 0) {
        fail("lien impossible à créer : " + m_linkPath);
    }
}

LineLink::~LineLink()
{
    char pointsTo[PATH_MAX];
    const ssize_t size = readlink(m_linkPath.c_str(), pointsTo, sizeof pointsTo - 1);
    if (size >= 0 && std::string(pointsTo, static_cast<std::size_t>(size)) == m_target) {
        unlink(m_linkPath.c_str());
    }
}

}  // namespace sim
