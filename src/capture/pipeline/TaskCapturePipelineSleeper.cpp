#include "capture/pipeline/TaskCapturePipelineSleeper.h"

#include "foundation/async/Sleeper.h"

namespace veyra {

CapturePipelineSleeping::Clock::time_point TaskCapturePipelineSleeper::now() const
{
    return Clock::now();
}

QCoro::Task<void> TaskCapturePipelineSleeper::sleep(Clock::time_point deadline, CancellationToken token)
{
    TimerSleeper timer;
    co_await timer.sleepUntil(deadline, std::move(token));
}

} // namespace veyra
