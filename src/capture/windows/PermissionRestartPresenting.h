#pragma once

#include <qcoro/qcorotask.h>

namespace veyra {

// Tells the user that the capture permission was just granted and that Veyra must be
// quit and reopened to use it.
class PermissionRestartPresenting
{
public:
    virtual ~PermissionRestartPresenting() = default;

    // Shows the alert; the task ends when the user has dismissed it. The caller quits
    // afterwards.
    virtual QCoro::Task<void> presentRestartPrompt() = 0;
};

} // namespace veyra
