#pragma once

namespace veyra {

// A pending delayed action. Destroying the handle cancels the action too, so its owner
// keeps the handle for as long as the action is wanted.
class MinimumVersionScheduledTask
{
public:
    virtual ~MinimumVersionScheduledTask() = default;

    // Stops the action unless it has already started. A second call does nothing.
    virtual void cancel() = 0;
};

} // namespace veyra
