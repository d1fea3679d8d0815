#pragma once

#include "update/updater/AppcastItem.h"

#include <optional>

namespace veyra {

class AppUpdaterError;

// How an update check began.
enum class UpdateCheck {
    // Asked for by the user (the menus, the set-up screen, the required install).
    userInitiated,
    // The updater's own daily check.
    background,
};

// What the updater reports of each check, on the GUI thread: at most one of
// didFindValidUpdate and didNotFindUpdate, then exactly one didFinishUpdateCycle. Nothing
// is reported after the updater is destroyed.
class AppUpdaterDelegate
{
public:
    virtual ~AppUpdaterDelegate() = default;

    virtual void didFindValidUpdate(const AppcastItem &item, UpdateCheck check) = 0;
    virtual void didNotFindUpdate(UpdateCheck check) = 0;
    // `error` is set when the cycle failed; a cycle the user cancelled did not fail.
    virtual void didFinishUpdateCycle(UpdateCheck check, const AppUpdaterError *error) = 0;
};

} // namespace veyra
