#pragma once

#include <functional>

namespace veyra {

// What the app-update model drives updates through: the live updater, a disabled one, or
// the fixture of UI testing. GUI thread only.
class AppUpdateDriving
{
public:
    virtual ~AppUpdateDriving() = default;

    // Whether a user-initiated check may start now.
    virtual bool canCheckForUpdates() const = 0;
    // Starts the updater. Throws when it cannot start; called again later in that case.
    virtual void start() = 0;
    // Starts a user-visible update check.
    virtual void checkForUpdates() = 0;

    // Called when canCheckForUpdates() may have changed on the driver's own account; set by
    // the model that owns the driver.
    std::function<void()> onCanCheckForUpdatesChanged;
};

} // namespace veyra
