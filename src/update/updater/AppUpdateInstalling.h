#pragma once

#include "foundation/async/CancellationToken.h"
#include "update/updater/AppcastItem.h"

#include <qcoro/qcorotask.h>

#include <functional>

namespace veyra {

// What an installation reports while it runs.
struct AppUpdateInstallObserver
{
    // The archive download began; cancelling the token passed to install() stops it.
    std::function<void()> downloadStarted;
    std::function<void(qint64 received, qint64 expected)> downloadProgress;
    // The archive arrived and is being verified and put in place.
    std::function<void()> installing;
};

// Puts an offered update in place of the running application. GUI thread only.
class AppUpdateInstalling
{
public:
    virtual ~AppUpdateInstalling() = default;

    // Installs the item and returns the action that restarts into the new version, which
    // the updater runs once its cycle has ended. Throws AppUpdaterError, or
    // CancellationError once `token` is cancelled.
    virtual QCoro::Task<std::function<void()>> install(
        AppcastItem item, AppUpdateInstallObserver observer, CancellationToken token)
        = 0;

    // Removes what installations of this kind left behind when they were interrupted (a
    // partial download of a process that was killed), never what one in progress uses.
    // The updater runs it once when it starts. Nothing to do by default.
    virtual QCoro::Task<void> removeLeftovers() { co_return; }
};

} // namespace veyra
