#pragma once

#include "foundation/async/CancellationToken.h"
#include "foundation/async/Sleeper.h"
#include "foundation/logging/Logger.h"
#include "update/configuration/AppUpdateConfiguration.h"
#include "update/updater/AppUpdaterDelegate.h"
#include "update/version/AppVersionInfo.h"

#include <QObject>
#include <QPointer>

#include <qcoro/qcorotask.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace veyra {

class AppUpdateInstalling;
class AppUpdateUserDriving;
class HTTPTransport;

// Veyra's updater. Reads the update feed (Appcast), picks the newest item newer than the
// running build, and drives a user driver and a delegate through one update cycle per
// check, on the GUI thread:
//
// 1. the feed is downloaded and read (on a worker, Appcast::read(): the cycle's end and the
//    application's end stop the reading); a failure ends the cycle as failed;
// 2. nothing newer: the delegate hears didNotFindUpdate (a user-initiated check also
//    shows "not found" and waits for its acknowledgement);
// 3. an update: the delegate hears didFindValidUpdate, then the user driver is offered
//    it (meanwhile the release notes behind the item's link are downloaded and handed to
//    the user driver); Install hands it to the installer, any other answer ends the cycle;
// 4. the cycle ends: the user driver is told to dismiss, then the delegate hears
//    didFinishUpdateCycle exactly once, with the error of a failed cycle (shown first, and
//    acknowledged, after a user-initiated check). After a successful install the
//    installer's restart runs last.
//
// The feed follows redirects to other hosts over https (what it offers is installed only
// with a valid signature); the release notes stay on their link's origin.
//
// One cycle runs at a time. Once started, the updater also checks in the background,
// right away and then once per interval; a background cycle never shows anything and gives
// way at once to a user-initiated check. Destroying the updater ends its cycle without
// any further call of the user driver or the delegate.
class FeedAppUpdater : public QObject
{
    Q_OBJECT

public:
    struct Dependencies
    {
        // Reads the feed and the release notes.
        std::shared_ptr<HTTPTransport> transport;
        std::shared_ptr<AppUpdateInstalling> installer;
        // Waits between background checks.
        std::shared_ptr<Sleeper> sleeper;
        std::chrono::milliseconds backgroundCheckInterval = std::chrono::hours(24);
    };

    // The user driver and the delegate must outlive the updater.
    FeedAppUpdater(AppUpdateConfiguration configuration, std::optional<AppVersionInfo> currentVersion,
        AppUpdateUserDriving &userDriver, AppUpdaterDelegate &delegate, Dependencies dependencies,
        QObject *parent = nullptr);
    ~FeedAppUpdater() override;

    // Starts the updater and its background checks, and lets the installer remove what
    // interrupted installations left behind. Throws AppUpdaterError::invalidConfiguration
    // when the running build is unknown or the feed URL or the key is unusable. Once
    // started, further calls do nothing.
    void start();
    bool isStarted() const { return m_started; }

    // Started, and neither running nor waiting to run a user-initiated cycle.
    bool canCheckForUpdates() const;
    // Starts a user-initiated cycle. While a background cycle runs, that cycle is ended
    // and the user's begins after it; while a user-initiated one runs, its window is
    // brought forward instead. Does nothing before start().
    void checkForUpdates();
    // Whether a cycle runs.
    bool sessionInProgress() const { return m_cycle.has_value(); }

    // Called when canCheckForUpdates() may have changed.
    std::function<void()> onCanCheckForUpdatesChanged;

private:
    struct Cycle
    {
        UpdateCheck check;
        CancellationToken token;
    };

    void beginCycle(UpdateCheck check);
    void endCycle(UpdateCheck check, const AppUpdaterError *error, std::function<void()> afterwards);
    void notifyCanCheckForUpdatesChanged();

    static QCoro::Task<void> runCycle(QPointer<FeedAppUpdater> self, UpdateCheck check, CancellationToken token);
    static QCoro::Task<std::function<void()>> checkAndInstall(
        QPointer<FeedAppUpdater> self, UpdateCheck check, CancellationToken token);
    static QCoro::Task<void> deliverReleaseNotes(QPointer<FeedAppUpdater> self, QUrl url, CancellationToken token);
    static QCoro::Task<void> checkInBackground(QPointer<FeedAppUpdater> self, CancellationToken lifetime);

    AppUpdateConfiguration m_configuration;
    std::optional<AppVersionInfo> m_currentVersion;
    AppUpdateUserDriving &m_userDriver;
    AppUpdaterDelegate &m_delegate;
    Dependencies m_dependencies;
    bool m_started = false;
    std::optional<Cycle> m_cycle;
    bool m_pendingUserCheck = false;
    // Cancelled when the updater goes.
    CancellationToken m_lifetime;
    Logger m_logger{"app-update"};
};

} // namespace veyra
