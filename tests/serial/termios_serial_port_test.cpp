#include "comm_error.h"
#include "qt_data_watcher.h"
#include "termios_serial_port.h"

#include <QCoreApplication>
#include <QTimer>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

using namespace comm_events;

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
// event loop through the watcher.
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
    QtDataWatcher watcher;
    TermiosSerialPort port{{slavePath, "/dev/ttyS-none", "/dev/null", ""}};
};

TEST_F(PseudoTerminalPort, takesItsSpeedAtEachOpen)
{
    for (const auto &[settings, speed] :
         {std::pair{"9600,e,7,1", B9600}, std::pair{"1200,e,7,1", B1200}}) {
        port.setSettings(settings);
        open();
        termios seen{};
        ASSERT_EQ(::tcgetattr(master, &seen), 0);
        EXPECT_EQ(cfgetospeed(&seen), speed);
        port.setPortOpen(false);
        EXPECT_FALSE(port.PortOpen() || watcher.armed());
    }
}

TEST_F(PseudoTerminalPort, openFailuresAreNumberedAndLeaveThePortClosed)
{
    for (const std::int16_t commPort : {0, 2, 3, 4, 5}) {
        port.setCommPort(commPort);
        EXPECT_EQ(failureOf([&] { port.setPortOpen(true); }), 8005) << "COM" << commPort;
        EXPECT_FALSE(port.PortOpen() || watcher.armed());
    }
    port.setCommPort(1);
    port.setSettings("9600,e,7,3");
    EXPECT_EQ(failureOf([&] { port.setPortOpen(true); }), 8011);
    EXPECT_FALSE(port.PortOpen() || watcher.armed());
}

TEST_F(PseudoTerminalPort, aLineHeldByAnotherProgramIsBusyUntilItLetsGo)
{
    open();
    TermiosSerialPort other({slavePath, "", "", ""});
    other.setSettings("9600,e,7,1");
    EXPECT_EQ(failureOf([&] { other.setPortOpen(true); }), 8013);
    port.setPortOpen(false);
    other.setPortOpen(true);
    EXPECT_TRUE(other.PortOpen());
}

TEST_F(PseudoTerminalPort, charactersCrossBothWaysEachLeavingItsEventUntilTheNext)
{
    open();
    QCoreApplication::processEvents();
    EXPECT_TRUE(watcher.armed()) << "a quiet line woke the loop";
    port.Output("\x02WX\x03Z");
    pollfd device{master, POLLIN, 0};
    char got[8] = {};
    ASSERT_EQ(::poll(&device, 1, 5000), 1);
    ASSERT_EQ(::read(master, got, sizeof got), 5);
    EXPECT_STREQ(got, "\x02WX\x03Z");
    EXPECT_EQ(port.CommEvent(), kCharacterSent);
    // \377 and \0 are what the line's error marks are made of: as data they must pass unchanged.
    deviceSends(std::string("\x06\0\377Z", 4));
    EXPECT_EQ(port.CommEvent(), kCharacterReceived);
    EXPECT_EQ(port.Input(), std::string("\x06\0\377Z", 4));
    QCoreApplication::processEvents();
    EXPECT_TRUE(watcher.armed()) << "characters already taken in woke the loop again";

    const std::string burst(300, '\x1a');  // more than the buffer size
    deviceSends(burst);
    EXPECT_EQ(port.CommEvent(), kReceiveOverflow);
    EXPECT_EQ(port.Input(), burst);
    deviceSends("\x1a");
    EXPECT_EQ(port.Input(), "\x1a");
    for (int look = 0; look < 2; ++look)
        EXPECT_EQ(port.CommEvent(), kEndOfFile);
    port.Output("x");
    EXPECT_EQ(port.CommEvent(), kCharacterSent);
}

TEST_F(PseudoTerminalPort, aDeviceGoneIsNoticedOnceItsLastCharactersAreTakenThenThePortIsClosed)
{
    open();
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

TEST_F(PseudoTerminalPort, outputOnALineGoneOrNeverDrainedGivesTheLineUp)
{
    port.setOutputTimeout(std::chrono::milliseconds(0));
    open();
    // Nobody reads the other side, so the driver's queue fills up.
    EXPECT_EQ(failureOf([&] { port.Output(std::string(1 << 20, 'x')); }), 8020);
    EXPECT_FALSE(port.PortOpen());
    open();
    deviceGoesAway();
    EXPECT_EQ(failureOf([&] { port.Output("x"); }), 8020);
    EXPECT_FALSE(port.PortOpen());
}

}  // namespace
