#pragma once

#include "foundation/async/CancellationToken.h"

#include <qcoro/qcorotask.h>

#include <chrono>

namespace veyra {

// Waits until an instant of the steady (monotonic) clock. Injected so that tests can
// control time; the live implementation uses a precise timer of the event loop.
class Sleeper
{
public:
    using Clock = std::chrono::steady_clock;

    virtual ~Sleeper() = default;

    // Returns at or after `deadline`; throws CancellationError as soon as `token` is
    // cancelled (before or during the wait).
    virtual QCoro::Task<void> sleepUntil(Clock::time_point deadline, CancellationToken token) = 0;

    QCoro::Task<void> sleepFor(std::chrono::milliseconds duration, CancellationToken token);
};

class TimerSleeper : public Sleeper
{
public:
    QCoro::Task<void> sleepUntil(Clock::time_point deadline, CancellationToken token) override;
};

} // namespace veyra
