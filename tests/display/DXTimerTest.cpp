#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>
#include <vector>

#include "DisplayTestSupport.h"
#include "display/TDXTimer.h"

namespace vorlane {
namespace {

// The timer on a clock the test moves by hand.
class DXTimerTest : public ::testing::Test {
protected:
    DXTimerTest() : timer([this] { return now; })
    {
        timer.OnTimer = [this](int lag) { lags.push_back(lag); };
        timer.SetApplicationActive(true);
    }
    // Idle passes every `step` ms for `duration` ms.
    void Run(std::uint32_t duration, std::uint32_t step)
    {
        for (std::uint32_t t = 0; t < duration; t += step) {
            now += step;
            timer.IdlePass();
        }
    }

    std::uint32_t now = 5000;
    TDXTimer timer;
    std::vector<int> lags;
};

TEST_F(DXTimerTest, WithIntervalZeroEveryIdlePassTicksAndTickRateCountsThem)
{
    timer.SetInterval(0);
    timer.SetEnabled(true);
    Run(1000, 4);
    EXPECT_EQ(lags.size(), 250u);
    EXPECT_EQ(lags.front(), 4) << "the lag is the time since the last tick in milliseconds";
    EXPECT_EQ(timer.TickRate(), 250);
    Run(1000, 10);
    EXPECT_EQ(timer.TickRate(), 100);
    // A pass within the same millisecond is still a tick.
    now += 0;
    timer.IdlePass();
    EXPECT_EQ(lags.back(), 1);
}

TEST_F(DXTimerTest, AnIntervalSkipsPassesAndReportsTheLagInIntervals)
{
    timer.SetInterval(100);
    timer.SetEnabled(true);
    Run(1000, 30);  // ticks at 120, 240, ... ms
    EXPECT_EQ(lags.size(), 8u);
    EXPECT_EQ(timer.TickRate(), 0) << "no full second has passed since the timer started";
    now += 350;
    timer.IdlePass();
    EXPECT_EQ(lags.back(), 4) << "410 ms since the last tick";
    EXPECT_EQ(timer.TickRate(), 7);  // 9 ticks in 1370 ms
}

TEST_F(DXTimerTest, TheClockMayWrapAround)
{
    now = 0xFFFFFF00;
    timer.SetInterval(100);
    timer.SetEnabled(true);
    Run(1000, 50);
    EXPECT_EQ(lags.size(), 10u);
    EXPECT_EQ(timer.TickRate(), 10);
}

TEST_F(DXTimerTest, ActiveOnlyStopsWhileTheApplicationIsInactiveAndRestartsAfresh)
{
    timer.SetInterval(0);
    timer.SetEnabled(true);
    Run(100, 10);
    ASSERT_EQ(lags.size(), 10u);
    timer.SetApplicationActive(false);
    EXPECT_FALSE(timer.Running());
    Run(5000, 10);
    EXPECT_EQ(lags.size(), 10u);
    timer.SetApplicationActive(true);
    now += 3;
    timer.IdlePass();
    EXPECT_EQ(lags.back(), 3) << "times start again at the activation";

    timer.SetActiveOnly(false);
    timer.SetApplicationActive(false);
    Run(100, 10);
    EXPECT_EQ(lags.size(), 21u);
}

TEST_F(DXTimerTest, ADisabledTimerDoesNotTick)
{
    timer.SetInterval(0);
    Run(100, 10);
    timer.SetEnabled(true);
    timer.SetEnabled(false);
    Run(100, 10);
    EXPECT_TRUE(lags.empty());
}

TEST(DXTimerLoopTest, TheEventLoopTicksAtTheScreenRateNotAsFastAsItCan)
{
    TDXTimer timer;
    int ticks = 0;
    timer.OnTimer = [&](int) { ++ticks; };
    timer.SetActiveOnly(false);  // the offscreen platform has no active window
    timer.SetInterval(0);
    timer.SetEnabled(true);
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_GE(ticks, 3);
    EXPECT_LE(ticks, 300 / 15 + 2) << "passes are paced to about 60 a second";
}

}  // namespace
}  // namespace vorlane
