#pragma once

#include "foundation/async/CancellationToken.h"

#include <qcoro/qcorotask.h>

#include <chrono>

namespace veyra {

// The capture loop's clock: the current instant and the wait between two passes, on the
// steady clock. Injected so that tests can control time.
class CapturePipelineSleeping
{
public:
    using Clock = std::chrono::steady_clock;

    virtual ~CapturePipelineSleeping() = default;

    virtual Clock::time_point now() const = 0;

    // Returns at or after `deadline`; throws CancellationError as soon as `token` is
    // cancelled (before or during the wait).
    virtual QCoro::Task<void> sleep(Clock::time_point deadline, CancellationToken token) = 0;
};

} // namespace veyra
