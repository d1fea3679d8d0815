#include "update/scheduling/TaskMinimumVersionScheduler.h"

#include "foundation/async/AsyncTask.h"
#include "foundation/errors/Error.h"
#include "foundation/logging/Logger.h"

#include <algorithm>
#include <cmath>

namespace veyra {

namespace {

using Clock = Sleeper::Clock;
using namespace std::chrono_literals;

constexpr double maximumDelaySeconds = 100.0 * 365.25 * 24 * 3600;
constexpr auto longestSleep = std::chrono::duration_cast<Clock::duration>(24h);

Clock::duration delayDuration(double seconds)
{
    const double bounded = std::isnan(seconds) ? 0.0 : std::clamp(seconds, 0.0, maximumDelaySeconds);
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::nanoseconds(static_cast<std::int64_t>(bounded * 1e9)));
}

QCoro::Task<void> runAfterDelay(Clock::time_point deadline, std::function<void()> action,
    std::shared_ptr<Sleeper> sleeper, MinimumVersionClock clock, CancellationToken token)
{
    const Logger logger("minimum-version");
    try {
        // Never inside schedule(): the owner stores the handle first.
        co_await NextEventLoopTurn();
        if (token.isCancelled()) {
            co_return;
        }
        // One sleep at least, a zero one for a delay that has passed.
        do {
            co_await sleeper->sleepUntil(std::min(deadline, clock() + longestSleep), token);
        } while (clock() < deadline && !token.isCancelled());
    } catch (const CancellationError &) {
        co_return;
    } catch (const std::exception &error) {
        qCCritical(logger) << "Scheduled check failed to wait:" << describeError(error);
        co_return;
    }
    // The test and the call happen in one turn of the GUI thread.
    if (token.isCancelled()) {
        co_return;
    }
    try {
        action();
    } catch (const std::exception &error) {
        qCCritical(logger) << "Scheduled check failed:" << describeError(error);
    }
}

} // namespace

TaskMinimumVersionScheduledTask::TaskMinimumVersionScheduledTask(
    double seconds, std::function<void()> action, std::shared_ptr<Sleeper> sleeper, MinimumVersionClock clock)
{
    const CancellationToken token;
    m_task = token;
    const Clock::time_point deadline = clock() + delayDuration(seconds);
    // The coroutine owns everything it uses; the returned task handle is dropped, which
    // lets the coroutine run to its end on its own.
    runAfterDelay(deadline, std::move(action), std::move(sleeper), std::move(clock), token);
}

TaskMinimumVersionScheduledTask::~TaskMinimumVersionScheduledTask()
{
    cancel();
}

void TaskMinimumVersionScheduledTask::cancel()
{
    if (m_task) {
        m_task->cancel();
    }
    m_task.reset();
}

TaskMinimumVersionScheduler::TaskMinimumVersionScheduler()
    : TaskMinimumVersionScheduler(std::make_shared<TimerSleeper>(), [] { return Clock::now(); })
{ }

TaskMinimumVersionScheduler::TaskMinimumVersionScheduler(std::shared_ptr<Sleeper> sleeper, MinimumVersionClock clock)
    : m_sleeper(std::move(sleeper))
    , m_clock(std::move(clock))
{ }

std::unique_ptr<MinimumVersionScheduledTask> TaskMinimumVersionScheduler::schedule(
    double seconds, std::function<void()> action)
{
    return std::make_unique<TaskMinimumVersionScheduledTask>(seconds, std::move(action), m_sleeper, m_clock);
}

} // namespace veyra
