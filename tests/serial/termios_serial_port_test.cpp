#include "comm_error.h"
#include "held_lines.h"
#include "qt_data_watcher.h"
#include "temp_dir.h"
#include "termios_serial_port.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iomanip>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

using namespace comm_events;
namespace fs = std::filesystem;

namespace {

std::int32_t failureOf(const std::function<void()> &operation)
try {
    operation();
    return 0;
} catch (const CommError &error) {
    return error.number();
}

// The test plays the device on the master side of a pseudo-terminal; COM1 is its slave, COM2 is
// missing, COM3 no serial line, COM4 unmapped. As in the program, the port wakes a sleeping
// event loop through the watcher. Lock files go to a directory of the test's own.
class PseudoTerminalPort : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char *argv[] = {const_cast<char *>("comrs_serial_tests"), nullptr};
        static QCoreApplication app(argc, argv);
    }
    void SetUp() override
    {
        ASSERT_FALSE(slavePath.empty());
        port.setDataWatcher(&watcher);
        port.setSettings("9600,e,7,1");
        port.setInBufferSize(256);
    }
    ~PseudoTerminalPort() override { deviceGoesAway(); }
    void deviceGoesAway() { ::close(std::exchange(master, -1)); }
    void open()
    {
        port.setPortOpen(true);
        ASSERT_TRUE(port.PortOpen() && watcher.armed());
    }
    // Runs the event loop, asleep until the watcher wakes it, until the condition holds; the guard
    // only keeps a broken watcher from hanging the test.
    template <typename Condition> bool loopUntil(Condition &&done)
    {
        QTimer guard;
        guard.setSingleShot(true);
        guard.start(5000);
        while (!done() && guard.isActive())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return done();
    }
    // The device sends; its characters wake the event loop and the port takes them in.
    void deviceSends(const std::string &bytes)
    {
        const int waiting = port.InBufferCount() + static_cast<int>(bytes.size());
        ASSERT_EQ(::write(master, bytes.data(), bytes.size()), ssize_t(bytes.size()));
        ASSERT_TRUE(loopUntil([&] { return !watcher.armed(); }))
            << "the data did not wake the loop";
        ASSERT_TRUE(loopUntil([&] { return port.InBufferCount() >= waiting; }));
    }

    int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    std::string slavePath = ::grantpt(master) || ::unlockpt(master) ? "" : ::ptsname(master);
    TempDir lockDirectory;
    std::string lockFile = lockDirectory / lockFileName(slavePath);
    QtDataWatcher watcher;
    TermiosSerialPort port{{slavePath, "/dev/ttyS-none", "/dev/null", ""}, {lockDirectory.path()}};
};

// Other programs, and the program after a crash, read the lock file to know the line in use.
TEST_F(PseudoTerminalPort, anOpenTakesItsSpeedAndTheLockFileEachCloseOrFailureLetsGo)
{
    port.setSettings("1200,e,7,1");
    open();
    EXPECT_TRUE(fs::exists(lockFile));
    termios seen{};
    ASSERT_EQ(::tcgetattr(master, &seen), 0);
    EXPECT_EQ(cfgetospeed(&seen), B1200);
    port.setPortOpen(false);
    EXPECT_FALSE(port.PortOpen() || watcher.armed() || fs::exists(lockFile));
    // Failures are numbered and leave the port closed and unlocked.
    for (const std::int16_t commPort : {0, 2, 3, 4, 5}) {
        port.setCommPort(commPort);
        EXPECT_EQ(failureOf([&] { port.setPortOpen(true); }), 8005) << "COM" << commPort;
        EXPECT_FALSE(port.PortOpen() || watcher.armed());
    }
    EXPECT_TRUE(fs::is_empty(lockDirectory.path())) << "a failed open kept its lock file";
    port.setCommPort(1);
    std::ofstream(lockFile) << std::setw(10) << ::getppid() << '\n';  // held by a live program
    EXPECT_EQ(failureOf([&] { port.setPortOpen(true); }), 8013);
    fs::remove(lockFile);
    port.setSettings("9600,e,7,3");
    EXPECT_EQ(failureOf([&] { port.setPortOpen(true); }), 8011);
    EXPECT_FALSE(port.PortOpen() || watcher.armed());
}

// A signal that ends the program must not leave the line exclusive (it is, for every other
// user, while another process such as the device's simulator keeps the terminal open) nor locked.
TEST_F(PseudoTerminalPort, aSignalThatEndsTheProgramLetsGoOfTheLine)
{
    for (const int signal : {SIGTERM, SIGPIPE}) {
        SCOPED_TRACE(signal);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            TermiosSerialPort line({slavePath, "", "", ""}, {lockDirectory.path()});
            line.setSettings("9600,e,7,1");
            line.setPortOpen(true);
            releaseHeldLinesOnTerminationSignals();
            std::raise(signal);
            std::_Exit(4);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_EQ(status, signal) << "not the way out that was taken";
        EXPECT_FALSE(fs::exists(lockFile));
        const int fd = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd, 0) << "the line is still exclusive";
        int exclusive = -1;
        EXPECT_EQ(::ioctl(fd, TIOCGEXCL, &exclusive), 0);
        EXPECT_EQ(exclusive, 0);
        ::close(fd);
    }
}

TEST_F(PseudoTerminalPort, charactersComeInUnchangedEachReadOrWriteLeavesItsEventUntilAHangUp)
{
    open();
    // \377 and \0 are what the line's error marks are made of: as data they must pass unchanged.
    deviceSends(std::string("\x06\0\377Z", 4));
    EXPECT_EQ(port.CommEvent(), kCharacterReceived);
    EXPECT_EQ(port.Input(), std::string("\x06\0\377Z", 4));
    QCoreApplication::processEvents();
    EXPECT_TRUE(watcher.armed()) << "characters already taken in woke the loop again";

    const std::string burst(300, '\x1a');  // more than the buffer size, yet nothing is lost
    deviceSends(burst);
    for (int look = 0; look < 2; ++look)
        EXPECT_EQ(port.CommEvent(), kEndOfFile);
    EXPECT_EQ(port.Input(), burst);
    port.Output("x");
    EXPECT_EQ(port.CommEvent(), kCharacterSent);

    // A device gone is noticed once its last characters are taken, then the port is closed.
    deviceSends("Z");
    deviceGoesAway();
    ASSERT_TRUE(loopUntil([&] { return !watcher.armed(); }));
    EXPECT_EQ(port.Input(), "Z");
    EXPECT_FALSE(watcher.armed()) << "a hung-up line would wake the loop forever";
    EXPECT_EQ(failureOf([&] { port.InBufferCount(); }), 8020);
    EXPECT_FALSE(port.PortOpen());
    EXPECT_EQ(port.InBufferCount() + port.CommEvent(), 0);
    EXPECT_EQ(failureOf([&] { port.Input(); }), 8018);
    EXPECT_EQ(failureOf([&] { port.Output("x"); }), 8018);
    EXPECT_EQ(failureOf([&] { port.setPortOpen(true); }), 8005);
}

// A pseudo-terminal has no modem lines: these are played by the test.
class PortWithModemLines : public TermiosSerialPort
{
public:
    using TermiosSerialPort::TermiosSerialPort;
    std::optional<int> readModemLines() const override
    {
        ++looks;
        return lines;
    }
    int lines = 0;
    mutable int looks = 0;
};

TEST_F(PseudoTerminalPort, theModemLinesAreLookedAtOncePerReceptionPass)
{
    PortWithModemLines line({slavePath, "", "", ""}, {lockDirectory.path()});
    line.setPortOpen(true);
    line.looks = 0;
    line.lines = TIOCM_CD;
    // Each look may be a round trip to a USB adapter, and the readings of one pass must agree.
    for (int reading = 0; reading < 14; ++reading)
        EXPECT_EQ(line.CommEvent(), kNone);
    EXPECT_EQ(line.looks, 0);
    line.InBufferCount();
    EXPECT_EQ(line.looks, 1);
    EXPECT_EQ(line.CommEvent(), kCarrierChange);
}

TEST_F(PseudoTerminalPort, outputTheDriverCannotTakeYetWaitsInOrderAndOnlyALineGoneIsGivenUp)
{
    open();
    std::string text(64 * 1024, ' ');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char>('a' + i % 26);
    // Nobody reads the other side yet, so the driver's queue fills up. Output dropped then never
    // reaches the device, the driver's part included, but for what a pseudo-terminal has handed
    // to the other side already (its 4 KB line buffer).
    pollfd device{master, POLLIN, 0};
    port.Output(std::string(text.size(), '#'));
    EXPECT_GT(port.OutBufferCount(), 0);
    port.discardOutput();
    EXPECT_EQ(port.OutBufferCount(), 0);
    ssize_t stale = 0;
    for (char piece[4096]; ::poll(&device, 1, 100) == 1;)
        stale += std::max<ssize_t>(::read(master, piece, sizeof piece), 0);
    EXPECT_LE(stale, 4096);
    port.Output(text);
    EXPECT_EQ(port.CommEvent(), kTransmitBufferFull);
    std::string got;
    while (got.size() < text.size() && ::poll(&device, 1, 5000) == 1) {
        char piece[4096];
        const ssize_t n = ::read(master, piece, sizeof piece);
        ASSERT_GT(n, 0);
        got.append(piece, static_cast<std::size_t>(n));
        port.InBufferCount();  // the program goes on polling the line
    }
    EXPECT_EQ(got, text);
    EXPECT_EQ(port.CommEvent(), kCharacterSent) << "the line keeps up again";
    deviceGoesAway();
    EXPECT_EQ(failureOf([&] { port.Output("x"); }), 8020);
    EXPECT_FALSE(port.PortOpen());
}

}  // namespace
