#include "comm_error.h"
#include "pseudo_terminal.h"
#include "qt_data_watcher.h"
#include "termios_serial_port.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class QtDataWatcherTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "comrs_serial_tests";
        static char *argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }

    // Runs what the event loop has to do now, without waiting for anything.
    static void runPendingEvents()
    {
        for (int turn = 0; turn < 3; ++turn)
            QCoreApplication::processEvents();
    }

    // Sleeps in the event loop until the watcher wakes it; the guard only keeps a broken
    // watcher from hanging the test.
    void waitUntilWoken()
    {
        QTimer guard;
        guard.setSingleShot(true);
        guard.start(5000);
        while (watcher.armed() && guard.isActive())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

    QtDataWatcher watcher;
};

// As the program uses it: the loop sleeps while the line is quiet, and wakes once when a
// character comes and once when the device goes away.
TEST_F(QtDataWatcherTest, letsTheLoopSleepOnAQuietLine)
{
    PseudoTerminal pty;
    ASSERT_FALSE(pty.slavePath.empty());
    TermiosSerialPort port({pty.slavePath, "", "", ""});
    port.setSettings("9600,e,7,1");
    port.setDataWatcher(&watcher);
    port.setPortOpen(true);

    runPendingEvents();
    EXPECT_TRUE(watcher.armed()) << "an idle line woke the loop";

    ASSERT_EQ(::write(pty.master, "A", 1), 1);
    waitUntilWoken();
    EXPECT_FALSE(watcher.armed());
    EXPECT_EQ(port.InBufferCount(), 1);
    // Drained into the port: the character waiting there must not wake the loop again.
    runPendingEvents();
    EXPECT_TRUE(watcher.armed());

    pty.hangUp();
    waitUntilWoken();
    EXPECT_FALSE(watcher.armed());
    EXPECT_EQ(port.Input(), "A");
    EXPECT_FALSE(watcher.armed()) << "a hung-up line was rearmed";
    EXPECT_THROW(port.InBufferCount(), CommError);
    port.setDataWatcher(nullptr);
}

}  // namespace
