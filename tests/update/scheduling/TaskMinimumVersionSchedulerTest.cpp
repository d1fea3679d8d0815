// Test label: unit
#include "update/scheduling/TaskMinimumVersionScheduler.h"
#include "support/ManualClockSleeper.h"
#include "support/RunTask.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;
using namespace std::chrono_literals;

namespace {

class TaskMinimumVersionSchedulerTest : public ::testing::Test
{
protected:
    std::unique_ptr<MinimumVersionScheduledTask> schedule(double seconds)
    {
        return m_scheduler.schedule(seconds, [this] { ++m_runs; });
    }

    // Waits until the task sleeps (its body begins on a later turn of the event loop).
    bool waitForSleep(int count)
    {
        return waitUntil([&] { return m_sleeper->deadlines().size() == count; });
    }
    // Lets the current sleep end and waits until it has; the action, when due, runs in the
    // same turn of the event loop.
    bool endSleep()
    {
        const int ended = m_sleeper->endedCount();
        return m_sleeper->releaseOne() && waitUntil([&] { return m_sleeper->endedCount() == ended + 1; });
    }
    bool waitForEnd(int ended)
    {
        return waitUntil([&] { return m_sleeper->endedCount() == ended; });
    }

    std::shared_ptr<ManualClockSleeper> m_sleeper = std::make_shared<ManualClockSleeper>();
    TaskMinimumVersionScheduler m_scheduler{m_sleeper, [sleeper = m_sleeper.get()] { return sleeper->now(); }};
    const Sleeper::Clock::time_point m_start = m_sleeper->now();
    int m_runs = 0;
};

} // namespace

TEST_F(TaskMinimumVersionSchedulerTest, TheActionRunsOnceAfterTheDailyAndTheHourlyDelay)
{
    const auto daily = schedule(86400);
    EXPECT_EQ(m_sleeper->deadlines().size(), 0) << "the task begins on a later turn of the event loop";
    ASSERT_TRUE(waitForSleep(1));
    EXPECT_EQ(m_sleeper->deadlines().at(0), m_start + 86400s);
    EXPECT_EQ(m_runs, 0);
    ASSERT_TRUE(endSleep());
    EXPECT_EQ(m_runs, 1);
    EXPECT_EQ(m_sleeper->deadlines().size(), 1);

    const auto hourly = schedule(3600);
    ASSERT_TRUE(waitForSleep(2));
    EXPECT_EQ(m_sleeper->deadlines().at(1), m_start + 86400s + 3600s);
    ASSERT_TRUE(endSleep());
    EXPECT_EQ(m_runs, 2);

    // Cancelling after the action ran, twice, changes nothing.
    hourly->cancel();
    hourly->cancel();
    EXPECT_EQ(m_runs, 2);

    // A negative delay sleeps zero and then runs; a fraction of a second is kept.
    const auto overdue = schedule(-30);
    ASSERT_TRUE(waitForSleep(3));
    EXPECT_EQ(m_sleeper->deadlines().at(2), m_sleeper->now());
    ASSERT_TRUE(endSleep());
    EXPECT_EQ(m_runs, 3);
    const auto brief = schedule(0.25);
    ASSERT_TRUE(waitForSleep(4));
    EXPECT_EQ(m_sleeper->deadlines().at(3), m_sleeper->now() + 250ms);
    ASSERT_TRUE(endSleep());
    EXPECT_EQ(m_runs, 4);
}

TEST_F(TaskMinimumVersionSchedulerTest, CancellingOrDroppingTheHandleBeforeTheActionPreventsIt)
{
    auto cancelled = schedule(3600);
    ASSERT_TRUE(waitForSleep(1));
    cancelled->cancel();
    cancelled->cancel();
    ASSERT_TRUE(waitForEnd(1));

    auto dropped = schedule(3600);
    ASSERT_TRUE(waitForSleep(2));
    dropped.reset();
    ASSERT_TRUE(waitForEnd(2));

    // Cancelled after the sleep was let go but before the task resumed.
    auto late = schedule(3600);
    ASSERT_TRUE(waitForSleep(3));
    ASSERT_TRUE(m_sleeper->releaseOne());
    late->cancel();
    ASSERT_TRUE(waitForEnd(3));

    // Cancelled before the task began: it never sleeps.
    auto early = schedule(3600);
    early->cancel();
    auto witness = schedule(3600);
    ASSERT_TRUE(waitForSleep(4));
    witness.reset();
    ASSERT_TRUE(waitForEnd(4));

    EXPECT_EQ(m_runs, 0);
}

TEST_F(TaskMinimumVersionSchedulerTest, LongDelaysSleepADayAtATime)
{
    const auto task = schedule(2.5 * 86400);
    for (int day = 1; day <= 2; ++day) {
        ASSERT_TRUE(waitForSleep(day));
        EXPECT_EQ(m_sleeper->deadlines().last(), m_start + day * 24h);
        ASSERT_TRUE(endSleep());
        EXPECT_EQ(m_runs, 0);
    }
    ASSERT_TRUE(waitForSleep(3));
    EXPECT_EQ(m_sleeper->deadlines().last(), m_start + 60h);
    ASSERT_TRUE(endSleep());
    EXPECT_EQ(m_runs, 1);
}

TEST(LiveTaskMinimumVersionSchedulerTest, AnOverdueActionRunsPromptlyOnTheGUIThread)
{
    TaskMinimumVersionScheduler scheduler;
    QThread *thread = nullptr;
    const auto task = scheduler.schedule(-1, [&thread] { thread = QThread::currentThread(); });
    EXPECT_EQ(thread, nullptr);
    ASSERT_TRUE(waitUntil([&] { return thread != nullptr; }));
    EXPECT_EQ(thread, QCoreApplication::instance()->thread());
}
