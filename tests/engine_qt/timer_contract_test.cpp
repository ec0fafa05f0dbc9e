// The one contract the engine relies on, run against the Qt timer of the program and the
// virtual-clock timer of the tests, so the tests' timer cannot drift from the real one.
#include "fake_timer.h"
#include "qt_one_shot_timer.h"
#include "virtual_timeline.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

// Real-time margins are wide: the machines are shared and a tick may come late, never early.
TEST(TimerContract, ticksOnlyWhileEnabledWithAnIntervalCountedFromItsLastSetting)
{
    for (const bool qt : {false, true}) {
        SCOPED_TRACE(qt ? "Qt" : "Fake");
        QtOneShotTimer qtTimer;
        VirtualTimeline timeline;
        FakeTimer fakeTimer{timeline};
        OneShotTimer &timer = qt ? static_cast<OneShotTimer &>(qtTimer) : fakeTimer;
        const auto elapse = [&](int ms) { qt ? QTest::qWait(ms) : timeline.advance(ms); };
        int ticks = 0;
        bool switchOffOnTick = true;
        timer.setTickHandler([&] {
            ++ticks;
            if (switchOffOnTick)
                timer.setEnabled(false);
        });
        timer.setInterval(0);
        timer.setEnabled(true);
        elapse(150);
        EXPECT_EQ(ticks, 0) << "interval 0 must never tick";
        EXPECT_TRUE(timer.enabled());
        timer.setEnabled(false);
        timer.setInterval(100);
        timer.setEnabled(true);
        timer.setEnabled(false);
        elapse(300);
        EXPECT_EQ(ticks, 0) << "disabling must stop the pending tick";
        timer.setInterval(300);
        timer.setEnabled(true);
        elapse(150);
        timer.setInterval(300);
        elapse(220);  // past the first countdown's end, short of the second's
        EXPECT_EQ(ticks, 0) << "a new interval while enabled must restart the countdown";
        elapse(600);
        EXPECT_EQ(ticks, 1) << "a handler that switches it off gets one tick";
        EXPECT_FALSE(timer.enabled());

        switchOffOnTick = false;
        timer.setInterval(50);
        timer.setEnabled(true);
        elapse(400);
        timer.setEnabled(false);
        EXPECT_GE(ticks, 3) << "a handler that leaves it enabled gets further ticks";
    }
}

}  // namespace
