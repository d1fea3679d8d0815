#pragma once

#include "update/model/AppUpdateDriving.h"

namespace veyra {

// The driver of a bundle without a usable update configuration: it never checks.
class DisabledAppUpdateController : public AppUpdateDriving
{
public:
    // Always false, whatever the field holds.
    bool canCheckForUpdates() const override { return false; }
    // Succeeds and does nothing.
    void start() override { }
    void checkForUpdates() override { }

    bool canCheckForUpdatesField = false;
};

} // namespace veyra
