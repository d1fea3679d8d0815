#pragma once

#include "capture/pipeline/CapturePipelineSleeping.h"

namespace veyra {

// Waits with a precise timer of the event loop, never waking before the deadline.
class TaskCapturePipelineSleeper : public CapturePipelineSleeping
{
public:
    Clock::time_point now() const override;
    QCoro::Task<void> sleep(Clock::time_point deadline, CancellationToken token) override;
};

} // namespace veyra
