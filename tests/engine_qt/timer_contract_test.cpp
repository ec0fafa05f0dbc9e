// The one contract the engine relies on, run against the Qt timer of the program and the
// virtual-clock timer of the tests, so the tests' timer cannot drift from the real one.
#include "fake_timer.h"
#include "qt_one_shot_timer.h"
#include "virtual_timeline.h"

#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Real-time margins are wide: the machines are shared and a tick may come late, never early.
class TimerDriver
{
public:
    virtual ~TimerDriver() = default;
    virtual OneShotTimer &timer() = 0;
    virtual void elapse(int ms) = 0;
};

class QtDriver : public TimerDriver
{
public:
    OneShotTimer &timer() override { return m_timer; }
    void elapse(int ms) override { QTest::qWait(ms); }

private:
    QtOneShotTimer m_timer;
};

class FakeDriver : public TimerDriver
{
public:
    OneShotTimer &timer() override { return m_timer; }
    void elapse(int ms) override { m_timeline.advance(ms); }

private:
    VirtualTimeline m_timeline;
    FakeTimer m_timer{m_timeline};
};

using DriverFactory = std::unique_ptr<TimerDriver> (*)();

class TimerContract : public ::testing::TestWithParam<DriverFactory>
{
protected:
    void SetUp() override
    {
        driver = GetParam()();
        timer().setTickHandler([this] {
            ++ticks;
            if (switchOffOnTick)
                timer().setEnabled(false);
        });
    }
    OneShotTimer &timer() { return driver->timer(); }

    std::unique_ptr<TimerDriver> driver;
    int ticks = 0;
    bool switchOffOnTick = true;
};

TEST_P(TimerContract, intervalZeroNeverTicksEvenWhenEnabled)
{
    timer().setInterval(0);
    timer().setEnabled(true);
    driver->elapse(150);
    EXPECT_EQ(ticks, 0);
    EXPECT_TRUE(timer().enabled());
}

TEST_P(TimerContract, enablingStartsOneTickThatTheHandlerEnds)
{
    timer().setInterval(100);
    driver->elapse(150);
    EXPECT_EQ(ticks, 0) << "a disabled timer must not run";
    timer().setEnabled(true);
    driver->elapse(400);
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(timer().enabled());
}

TEST_P(TimerContract, newIntervalWhileEnabledRestartsTheCountdown)
{
    timer().setInterval(300);
    timer().setEnabled(true);
    driver->elapse(150);
    timer().setInterval(300);
    driver->elapse(220);  // past the first countdown's end, short of the second's
    EXPECT_EQ(ticks, 0);
    driver->elapse(600);
    EXPECT_EQ(ticks, 1);
}

TEST_P(TimerContract, disablingStopsAPendingTick)
{
    timer().setInterval(100);
    timer().setEnabled(true);
    timer().setEnabled(false);
    driver->elapse(300);
    EXPECT_EQ(ticks, 0);
}

TEST_P(TimerContract, aHandlerThatLeavesItEnabledGetsFurtherTicks)
{
    switchOffOnTick = false;
    timer().setInterval(50);
    timer().setEnabled(true);
    driver->elapse(400);
    timer().setEnabled(false);
    EXPECT_GE(ticks, 2);
}

INSTANTIATE_TEST_SUITE_P(
    QtAndFake,
    TimerContract,
    ::testing::Values<DriverFactory>(
        [] { return std::unique_ptr<TimerDriver>(std::make_unique<QtDriver>()); },
        [] { return std::unique_ptr<TimerDriver>(std::make_unique<FakeDriver>()); }),
    [](const auto &info) { return info.index == 0 ? std::string("Qt") : std::string("Fake"); });

}  // namespace
