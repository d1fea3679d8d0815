#pragma once

#include <chrono>
#include <ctime>

namespace veyra {

// A monotonic clock that keeps counting while the machine sleeps (CLOCK_BOOTTIME), so a
// lifetime measured on it ends when it should even across a suspend, and a change of the
// wall clock does not move it.
struct BootClock
{
    using duration = std::chrono::nanoseconds;
    using rep = duration::rep;
    using period = duration::period;
    using time_point = std::chrono::time_point<BootClock>;
    static constexpr bool is_steady = true;

    static time_point now() noexcept
    {
        timespec now{};
        ::clock_gettime(CLOCK_BOOTTIME, &now);
        return time_point(std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec));
    }
};

} // namespace veyra
