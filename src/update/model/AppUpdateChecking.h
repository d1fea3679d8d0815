#pragma once

namespace veyra {

// The app-update model as the menus see it: whether an update is required (the running
// build is no longer supported, or installing the required update failed), whether a
// check may start now, and starting a user-initiated check. GUI thread only.
class AppUpdateChecking
{
public:
    virtual ~AppUpdateChecking() = default;

    virtual bool isUpdateRequired() const = 0;
    virtual bool canCheckForUpdates() const = 0;
    virtual void checkForUpdates() = 0;
};

} // namespace veyra
