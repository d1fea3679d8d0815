#pragma once

#include "foundation/async/CancellationToken.h"
#include "foundation/logging/Logger.h"
#include "update/model/AppUpdateChecking.h"
#include "update/model/AppUpdateDriving.h"
#include "update/model/MinimumVersionState.h"
#include "update/version/AppUpdateAvailabilityStoring.h"
#include "update/version/AppVersionInfo.h"
#include "update/version/AvailableAppUpdate.h"

#include <QObject>
#include <QUuid>

#include <qcoro/qcorotask.h>

#include <functional>
#include <memory>
#include <optional>

namespace veyra {

class MinimumVersionPolicyFetching;
class MinimumVersionPolicyStoring;
class MinimumVersionScheduledTask;
class MinimumVersionScheduling;
struct VerifiedMinimumVersionPolicy;

// Opens the service's home page in the browser (the minimum-version screen's "Download
// from Website"); the composition root adapts the account library's web page opener.
using HomePageOpener = std::function<void()>;

// The application's own version: update availability and the minimum-version gate. One per
// process, on the GUI thread, created by makeAppUpdateModel().
//
// Software updates: publishes the newer build the updater found (`availableUpdate`, kept
// in the store across launches) and whether an update session runs, and starts
// user-initiated checks through the update driver.
//
// The gate: fetches the signed minimum-version policy, accepts it against the last
// accepted revision, compares its minimum build with the running build and publishes the
// result as `minimumVersionState`; re-checks a day after every check that allowed the
// build and an hour after a failed background check; while an update is required it runs
// the required install of a sufficient update through the driver.
class AppUpdateModel : public QObject, public AppUpdateChecking
{
    Q_OBJECT
    Q_PROPERTY(bool isUpdateSessionActive READ isUpdateSessionActive WRITE setUpdateSessionActive NOTIFY
            isUpdateSessionActiveChanged)
    Q_PROPERTY(MinimumVersionState minimumVersionState READ minimumVersionState WRITE setMinimumVersionState NOTIFY
            minimumVersionStateChanged)
    Q_PROPERTY(bool canCheckForUpdates READ canCheckForUpdates NOTIFY canCheckForUpdatesChanged)
    Q_PROPERTY(bool isUpdateRequired READ isUpdateRequired NOTIFY minimumVersionStateChanged)

public:
    struct Services
    {
        // The running version and build; nothing when the bundle has no usable ones.
        std::optional<AppVersionInfo> currentVersion;
        std::shared_ptr<AppUpdateAvailabilityStoring> store;
        std::shared_ptr<MinimumVersionPolicyFetching> minimumVersionClient;
        std::shared_ptr<MinimumVersionPolicyStoring> minimumVersionStore;
        std::shared_ptr<MinimumVersionScheduling> scheduler;
        HomePageOpener webPageOpener;
    };

    explicit AppUpdateModel(Services services, QObject *parent = nullptr);
    ~AppUpdateModel() override;

    AppUpdateModel(const AppUpdateModel &) = delete;
    AppUpdateModel &operator=(const AppUpdateModel &) = delete;

    // The newer build the updater found, offered by the set-up screen's update button.
    const std::optional<AvailableAppUpdate> &availableUpdate() const { return m_availableUpdate; }
    // Publishes a value without storing it (the factory restores the stored one with it).
    void setAvailableUpdate(std::optional<AvailableAppUpdate> update);

    // True from the start of an update check or a required install until its cycle ends.
    bool isUpdateSessionActive() const { return m_isUpdateSessionActive; }
    void setUpdateSessionActive(bool active);

    const MinimumVersionState &minimumVersionState() const { return m_minimumVersionState; }
    // Foreground callers set `checking` before they run a check.
    void setMinimumVersionState(MinimumVersionState state);

    const std::optional<AppVersionInfo> &currentVersion() const { return m_currentVersion; }
    const HomePageOpener &webPageOpener() const { return m_webPageOpener; }
    AppUpdateAvailabilityStoring &store() const { return *m_store; }

    // The update driver; set once, by the factory, right after creation.
    AppUpdateDriving *driver() const { return m_driver.get(); }
    void setDriver(std::unique_ptr<AppUpdateDriving> driver);
    bool driverStarted() const { return m_driverStarted; }
    // True from a required-install attempt until a check ends `allowed`.
    bool requiredInstallMode() const { return m_requiredInstallMode; }
    bool hasScheduledCheck() const { return m_scheduledCheck != nullptr; }

    // False while a session is active; while an update is required, whether a driver
    // exists; otherwise the driver's own answer (false without a driver).
    bool canCheckForUpdates() const override;
    bool isUpdateRequired() const override { return m_minimumVersionState.isUpdateRequired(); }
    // The user-started check: the required install while an update is required; else,
    // when a check may start, marks the session active and asks the driver to check.
    void checkForUpdates() override;

    // The minimum-version screen's "Update" (and "Try Again" after a failed install):
    // starts the driver when needed and has it check; fails the install at once when there
    // is no driver, it cannot start, or it cannot check. Nothing while a session is active
    // or when no update is required.
    void installRequiredUpdate();
    // Ends the session; `required` or `installFailed` becomes `installFailed` with the
    // same requirement, any other state stays.
    void markRequiredInstallFailed();
    // Starts the driver unless it already started; false when there is none or it failed
    // to start (logged; the next call tries again).
    bool startDriverIfNeeded();

    // The updater found a valid update: a build newer than the running one is published
    // and stored; anything else counts as no update found.
    void recordFoundUpdate(const QString &displayVersion, const QString &buildVersion);
    // In a required install the install failed; otherwise the available update is
    // forgotten.
    void handleNoUpdateFound();
    // Asked when an update was found in a required install: true (after recording it)
    // when the found build reaches the required minimum; otherwise the install is marked
    // failed.
    bool shouldInstallRequiredUpdate(const QString &displayVersion, const QString &buildVersion);
    // The updater's update cycle ended; a failed one fails a required install. Ends the
    // session.
    void finishUpdateCycle(bool failed);

    // The minimum-version check. True exactly when this check ended with the state
    // `allowed`; false when it ended otherwise, failed, or was superseded by a newer check
    // (whose outcome alone counts). `reportsFailure` (foreground callers) turns a failure
    // into `checkFailed`; a failed background check keeps the state and retries in an
    // hour, except that a state still `checking` becomes `checkFailed`. Cancelling `token`
    // (or destroying the model) ends the check without any effect.
    QCoro::Task<bool> runMinimumVersionCheck(bool reportsFailure, CancellationToken token = CancellationToken());
    // Replaces the pending re-check by one `seconds` from now.
    void scheduleMinimumVersionCheck(double seconds);
    // The acceptance rule over the model's policy store; throws MinimumVersionPolicyError.
    void acceptPolicy(const VerifiedMinimumVersionPolicy &verified);

signals:
    void availableUpdateChanged();
    void isUpdateSessionActiveChanged(bool active);
    void minimumVersionStateChanged();
    // Emitted whenever an input of canCheckForUpdates() may have changed.
    void canCheckForUpdatesChanged();

private:
    void setRequiredInstallMode(bool on);
    void startScheduledCheck();

    std::optional<AvailableAppUpdate> m_availableUpdate;
    bool m_isUpdateSessionActive = false;
    MinimumVersionState m_minimumVersionState = MinimumVersionState::checking();
    std::optional<AppVersionInfo> m_currentVersion;
    std::shared_ptr<AppUpdateAvailabilityStoring> m_store;
    std::shared_ptr<MinimumVersionPolicyFetching> m_minimumVersionClient;
    std::shared_ptr<MinimumVersionPolicyStoring> m_minimumVersionStore;
    std::shared_ptr<MinimumVersionScheduling> m_scheduler;
    HomePageOpener m_webPageOpener;
    std::unique_ptr<AppUpdateDriving> m_driver;
    bool m_driverStarted = false;
    bool m_requiredInstallMode = false;
    std::unique_ptr<MinimumVersionScheduledTask> m_scheduledCheck;
    std::optional<QUuid> m_minimumVersionCheckID;
    // Cancelled when the model goes, which ends every running policy fetch.
    CancellationToken m_lifetime;
    Logger m_minimumVersionLogger{"minimum-version"};
};

} // namespace veyra
