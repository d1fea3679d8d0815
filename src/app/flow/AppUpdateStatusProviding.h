#pragma once

#include "update/model/AppUpdateChecking.h"

#include <QObject>

#include <qcoro/qcorotask.h>

namespace veyra {

// What the main window's screens read and start of the app-update model: the
// minimum-version gate of the main flow, and the update offer of the set-up screen. The
// menus see the same object through AppUpdateChecking. Each change of a value it
// publishes is signalled. GUI thread only.
class AppUpdateStatusProviding : public QObject, public AppUpdateChecking
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Whether the minimum-version state is `allowed`: only then does the main window show
    // the application rather than the minimum-version screen.
    virtual bool isMinimumVersionAllowed() const = 0;
    // Sets the minimum-version state to `checking` (a foreground check is about to run).
    virtual void beginMinimumVersionCheck() = 0;
    // The minimum-version check; true exactly when it ended `allowed`.
    virtual QCoro::Task<bool> runMinimumVersionCheck(bool reportsFailure) = 0;
    // Whether a newer build has been found and is on offer.
    virtual bool hasAvailableUpdate() const = 0;

Q_SIGNALS:
    void minimumVersionStateChanged();
    void availableUpdateChanged();
    // The value of canCheckForUpdates() may have changed.
    void canCheckForUpdatesChanged();
};

} // namespace veyra
