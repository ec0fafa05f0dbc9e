#include "qt_event_pump.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

// The program's pump sleeps rather than spins; it must still come back when nothing at all is
// due, or the settling wait, which watches only the wall clock, would never end.
TEST(QtEventPump, runsWhatIsDueAndReturnsWhenNothingIs)
{
    QtEventPump pump;
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    for (int i = 0; i < 100 && !ran; ++i)  // start-up events may come first
        pump.runPending();
    EXPECT_TRUE(ran);

    // Nothing else due until this, long after: only a pump that sleeps for good waits for it.
    bool late = false;
    QTimer::singleShot(3000, [&] { late = true; });
    QCoreApplication::processEvents();  // what the start-up left pending
    QElapsedTimer elapsed;
    elapsed.start();
    for (int i = 0; i < 5 && !late; ++i)
        pump.runPending();
    EXPECT_LT(elapsed.elapsed(), 2000);
}
