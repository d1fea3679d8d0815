#pragma once

#include "update/scheduling/MinimumVersionScheduledTask.h"

#include <functional>
#include <memory>

namespace veyra {

// Runs an action on the GUI thread after a delay (the re-checks of the minimum-version
// policy). Used on the GUI thread.
class MinimumVersionScheduling
{
public:
    virtual ~MinimumVersionScheduling() = default;

    // Starts waiting at once: the action runs once, `seconds` from now (now when the delay
    // is negative), unless the returned handle is cancelled or destroyed before.
    virtual std::unique_ptr<MinimumVersionScheduledTask> schedule(double seconds, std::function<void()> action) = 0;
};

} // namespace veyra
