#pragma once

#include "foundation/async/Sleeper.h"
#include "update/scheduling/MinimumVersionScheduling.h"

#include <functional>
#include <memory>

namespace veyra {

// The clock a scheduled task measures its delay on.
using MinimumVersionClock = std::function<Sleeper::Clock::time_point()>;

// A delayed action as a coroutine on the GUI thread. It begins on a later turn of the
// event loop (never inside schedule()), sleeps through the sleeper until the clock's now
// at creation plus the delay (one zero sleep for a delay that has passed), then, unless
// cancelled meanwhile, runs the action. Cancelling (or destroying the handle) on the GUI
// thread before the action has started always prevents it.
//
// The delay is raised to 0 when negative or not a number and limited to 100 years; the
// sleep is taken in steps of at most a day, so that no timer interval overflows.
class TaskMinimumVersionScheduledTask : public MinimumVersionScheduledTask
{
public:
    TaskMinimumVersionScheduledTask(
        double seconds, std::function<void()> action, std::shared_ptr<Sleeper> sleeper, MinimumVersionClock clock);
    ~TaskMinimumVersionScheduledTask() override;

    TaskMinimumVersionScheduledTask(const TaskMinimumVersionScheduledTask &) = delete;
    TaskMinimumVersionScheduledTask &operator=(const TaskMinimumVersionScheduledTask &) = delete;

    void cancel() override;

private:
    // The running task, ended through its token; nothing once cancelled.
    std::optional<CancellationToken> m_task;
};

// Schedules through a TaskMinimumVersionScheduledTask per action.
class TaskMinimumVersionScheduler : public MinimumVersionScheduling
{
public:
    // The live scheduler: event-loop timers on the steady clock.
    TaskMinimumVersionScheduler();
    TaskMinimumVersionScheduler(std::shared_ptr<Sleeper> sleeper, MinimumVersionClock clock);

    std::unique_ptr<MinimumVersionScheduledTask> schedule(double seconds, std::function<void()> action) override;

private:
    std::shared_ptr<Sleeper> m_sleeper;
    MinimumVersionClock m_clock;
};

} // namespace veyra
