#include "comm_error.h"
#include "comm_events.h"
#include "pseudo_terminal.h"
#include "termios_serial_port.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>

namespace {

using namespace comm_errors;
using namespace comm_events;
using namespace std::string_literals;

// Only reached when a byte never comes: the test then fails instead of hanging.
constexpr int kDeliveryMs = 5000;

struct RecordingWatcher : DataWatcher
{
    void watch(int fd) override { watchedFd = fd; }
    void unwatch() override { watchedFd = -1; }
    void rearm() override {}
    int watchedFd = -1;
};

template <typename Operation> std::int32_t failureOf(Operation &&operation)
{
    try {
        operation();
    } catch (const CommError &error) {
        return error.number();
    }
    return 0;
}

// COM1 is the pseudo-terminal, COM2 missing, COM3 no serial line, COM4 unmapped.
class PseudoTerminalPort : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(pty.slavePath.empty());
        port.setDataWatcher(&watcher);
        setUpLine(port, "9600,e,7,1");
    }

    // As the exchange sets a line up.
    static void setUpLine(TermiosSerialPort &line, const char *settings)
    {
        line.setInBufferSize(256);
        line.setCommPort(1);
        line.setSettings(settings);
        line.setInputLen(0);
    }

    void open()
    {
        port.setPortOpen(true);
        ASSERT_TRUE(port.PortOpen());
    }

    speed_t speedSeenByTheDevice()
    {
        termios seen{};
        EXPECT_EQ(::tcgetattr(pty.master, &seen), 0);
        return cfgetospeed(&seen);
    }

    void deviceSends(const std::string &bytes)
    {
        ASSERT_EQ(::write(pty.master, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }

    bool waitForCount(int count)
    {
        while (port.InBufferCount() < count) {
            pollfd line{watcher.watchedFd, POLLIN, 0};
            if (::poll(&line, 1, kDeliveryMs) <= 0)
                return false;
        }
        return true;
    }

    std::string deviceReceives(std::size_t count)
    {
        std::string got;
        char buffer[256];
        pollfd line{pty.master, POLLIN, 0};
        while (got.size() < count && ::poll(&line, 1, kDeliveryMs) > 0) {
            const ssize_t n = ::read(pty.master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }

    PseudoTerminal pty;
    RecordingWatcher watcher;
    TermiosSerialPort port{{pty.slavePath, "/dev/ttyS-none", "/dev/null", ""}};
};

TEST_F(PseudoTerminalPort, takesItsSpeedAtEachOpenAndOnlyThere)
{
    EXPECT_FALSE(port.PortOpen());
    open();
    EXPECT_GE(watcher.watchedFd, 0);
    EXPECT_EQ(speedSeenByTheDevice(), speed_t(B9600));

    port.setSettings("1200,e,7,1");
    EXPECT_EQ(speedSeenByTheDevice(), speed_t(B9600));
    port.setPortOpen(false);
    EXPECT_FALSE(port.PortOpen());
    EXPECT_EQ(watcher.watchedFd, -1);
    open();
    EXPECT_EQ(speedSeenByTheDevice(), speed_t(B1200));
}

struct OpenFailureCase
{
    const char *name;
    std::int16_t commPort;
    const char *settings;
    std::int32_t number;
};

class OpenFailure : public PseudoTerminalPort, public testing::WithParamInterface<OpenFailureCase>
{};

TEST_P(OpenFailure, isNumberedAndLeavesThePortClosed)
{
    port.setCommPort(GetParam().commPort);
    port.setSettings(GetParam().settings);
    EXPECT_EQ(failureOf([&] { port.setPortOpen(true); }), GetParam().number);
    EXPECT_FALSE(port.PortOpen());
    EXPECT_EQ(watcher.watchedFd, -1);
}

INSTANTIATE_TEST_SUITE_P(
    TermiosSerialPort,
    OpenFailure,
    testing::Values(OpenFailureCase{"missingDevice", 2, "9600,e,7,1", kDeviceMissing},
                    OpenFailureCase{"notASerialLine", 3, "9600,e,7,1", kDeviceMissing},
                    OpenFailureCase{"unmapped", 4, "9600,e,7,1", kDeviceMissing},
                    OpenFailureCase{"portZero", 0, "9600,e,7,1", kDeviceMissing},
                    OpenFailureCase{"portFive", 5, "9600,e,7,1", kDeviceMissing},
                    OpenFailureCase{"badSettings", 1, "9600,e,7,3", kSettingsRefused}),
    [](const testing::TestParamInfo<OpenFailureCase> &info) { return info.param.name; });

TEST_F(PseudoTerminalPort, aLineInUseIsRefused)
{
    open();
    TermiosSerialPort second({pty.slavePath, "", "", ""});
    setUpLine(second, "9600,e,7,1");
    EXPECT_EQ(failureOf([&] { second.setPortOpen(true); }), kPortBusy);

    port.setPortOpen(false);
    const int otherProgram = ::open(pty.slavePath.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_EQ(::flock(otherProgram, LOCK_EX), 0);
    EXPECT_EQ(failureOf([&] { port.setPortOpen(true); }), kPortBusy);
    ::close(otherProgram);
    open();
}

TEST_F(PseudoTerminalPort, aLineWithoutPermissionIsRefused)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root opens any device; the errno table covers EACCES";
    ASSERT_EQ(::chmod(pty.slavePath.c_str(), 0), 0);
    EXPECT_EQ(failureOf([&] { port.setPortOpen(true); }), kAccessDenied);
}

TEST_F(PseudoTerminalPort, charactersCrossBothWaysInOrderWithTheirEvents)
{
    open();
    EXPECT_EQ(port.CommEvent(), kNone);
    port.Output("\x02");
    port.Output("AB\x03"
                "41");
    EXPECT_EQ(deviceReceives(6),
              "\x02"
              "AB\x03"
              "41");
    EXPECT_EQ(port.CommEvent(), kCharacterSent);

    // \377 and \0 are the bytes the line's error marks are made of: they must pass as data.
    deviceSends("\x06\x02"
                "A");
    ASSERT_TRUE(waitForCount(3));
    deviceSends("\0\377\x03"s);
    ASSERT_TRUE(waitForCount(6));
    EXPECT_EQ(port.CommEvent(), kCharacterReceived);
    EXPECT_EQ(port.Input(),
              "\x06\x02"
              "A\0\377\x03"s);
    EXPECT_EQ(port.InBufferCount(), 0);
}

TEST_F(PseudoTerminalPort, eventsStayUntilTheNextReplacesThem)
{
    open();
    deviceSends("A\x1a"
                "B");
    ASSERT_TRUE(waitForCount(3));
    port.Input();
    EXPECT_EQ(port.InBufferCount(), 0);
    for (int row = 0; row < 14; ++row)  // as the line-event table reads it
        EXPECT_EQ(port.CommEvent(), kEndOfFile);
    port.Output("x");
    EXPECT_EQ(port.CommEvent(), kCharacterSent);
}

TEST_F(PseudoTerminalPort, moreThanTheBufferSizeWaitingIsAnOverflowWithNothingLost)
{
    open();
    const std::string burst(300, 'z');
    deviceSends(burst);
    ASSERT_TRUE(waitForCount(300));
    EXPECT_EQ(port.CommEvent(), kReceiveOverflow);
    EXPECT_EQ(port.Input(), burst);
}

TEST_F(PseudoTerminalPort, aClosedPortAnswersZeroAndRefusesInputAndOutput)
{
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(port.InBufferCount(), 0);
        EXPECT_EQ(port.CommEvent(), kNone);
        EXPECT_EQ(failureOf([&] { port.Input(); }), kPortClosed);
        EXPECT_EQ(failureOf([&] { port.Output("x"); }), kPortClosed);
        open();  // then again after it has been open and recorded an event
        port.Output("x");
        port.setPortOpen(false);
    }
}

class VanishingDevice : public PseudoTerminalPort, public testing::WithParamInterface<int>
{};

TEST_P(VanishingDevice, closesThePortAndFailsOnceThenAnswersAsClosed)
{
    open();
    pty.hangUp();
    EXPECT_EQ(failureOf([&] {
                  if (GetParam() == 0)
                      port.InBufferCount();
                  else if (GetParam() == 1)
                      port.Input();
                  else
                      port.Output("\x02"
                                  "A\x03"
                                  "41");
              }),
              kDeviceLost);
    EXPECT_FALSE(port.PortOpen());
    EXPECT_EQ(watcher.watchedFd, -1);
    EXPECT_EQ(port.InBufferCount(), 0);
    EXPECT_EQ(port.CommEvent(), kNone);
    EXPECT_EQ(failureOf([&] { port.Input(); }), kPortClosed);
    EXPECT_EQ(failureOf([&] { port.setPortOpen(true); }), kDeviceMissing);
}

INSTANTIATE_TEST_SUITE_P(TermiosSerialPort, VanishingDevice, testing::Values(0, 1, 2));

TEST_F(PseudoTerminalPort, charactersReceivedBeforeTheDeviceVanishedAreStillHandedOver)
{
    open();
    deviceSends("\x06\x02"
                "AB");
    ASSERT_TRUE(waitForCount(4));
    pty.hangUp();
    EXPECT_EQ(port.InBufferCount(), 4);
    EXPECT_EQ(port.Input(),
              "\x06\x02"
              "AB");
    EXPECT_EQ(failureOf([&] { port.InBufferCount(); }), kDeviceLost);
    EXPECT_FALSE(port.PortOpen());
}

TEST_F(PseudoTerminalPort, outputTheDriverNeverTakesGivesTheLineUp)
{
    port.setOutputTimeout(std::chrono::milliseconds(0));
    open();
    // Nobody reads the other side, so the driver's queue fills up.
    EXPECT_EQ(failureOf([&] { port.Output(std::string(1 << 20, 'x')); }), kDeviceLost);
    EXPECT_FALSE(port.PortOpen());
}

}  // namespace
