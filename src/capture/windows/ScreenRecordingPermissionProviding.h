#pragma once

#include <qcoro/qcorotask.h>

namespace veyra {

// Whether Veyra may list and capture other applications' windows. Called on the GUI
// thread; the checks may talk to the display server and so run as tasks.
class ScreenRecordingPermissionProviding
{
public:
    virtual ~ScreenRecordingPermissionProviding() = default;

    // Whether capturing is possible now. Never prompts the user.
    virtual QCoro::Task<bool> preflight() = 0;

    // Asks for the permission and answers whether it is granted; a true answer takes
    // effect after Veyra restarts.
    virtual QCoro::Task<bool> request() = 0;

    // Opens the system's settings for the permission, where there are any.
    virtual void openSystemSettings() = 0;
};

} // namespace veyra
