#pragma once

#include "foundation/identity/AppIdentity.h"
#include "update/configuration/AppUpdateConfiguration.h"
#include "update/model/AppUpdateDriving.h"

#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace veyra {

class AppUpdateModel;
class FeedAppUpdateDelegate;
class FeedAppUpdater;
class HTTPTransport;
class Sleeper;
class UpdateArchiveDownloading;
class VeyraAppUpdateUserDriver;

// What the live driver reaches outside the process.
struct FeedAppUpdateEnvironment
{
    // Reads the feed and the release notes; a transport of its own when not given.
    std::shared_ptr<HTTPTransport> transport;
    // Downloads archives; a downloader of its own when not given.
    std::shared_ptr<UpdateArchiveDownloading> downloader;
    // The running AppImage; without one, installing opens the download page instead.
    std::optional<QString> appImagePath;
    // Starts the replaced AppImage and ends this process.
    std::function<void(const QString &appImagePath)> relaunch;
    // Opens a web page in the browser.
    std::function<void(const QUrl &url)> openURL;
    // Waits between background checks; event-loop timers when not given.
    std::shared_ptr<Sleeper> sleeper;
    std::chrono::milliseconds backgroundCheckInterval = std::chrono::hours(24);

    // The running process: the AppImage it was started from (runningAppImagePath()),
    // relaunchAppImage(), the desktop's browser.
    static FeedAppUpdateEnvironment live();
};

// The live update driver: Veyra's updater over the feed at "SUFeedURL", with its delegate
// and Veyra's user driver, all kept alive here. Creating it starts nothing; the model
// starts it through start() when it first needs it.
class FeedAppUpdateController : public AppUpdateDriving
{
public:
    // Holds the model weakly; reads the running version from `info`.
    FeedAppUpdateController(AppUpdateConfiguration configuration, AppUpdateModel *model, const InfoDictionary &info,
        FeedAppUpdateEnvironment environment = FeedAppUpdateEnvironment::live());
    ~FeedAppUpdateController() override;

    // The updater's: started and not in a user-initiated cycle.
    bool canCheckForUpdates() const override;
    // Throws AppUpdaterError when the updater cannot start.
    void start() override;
    void checkForUpdates() override;

    FeedAppUpdater &updater() const { return *m_updater; }
    VeyraAppUpdateUserDriver &userDriver() const { return *m_userDriver; }

private:
    std::unique_ptr<FeedAppUpdateDelegate> m_updaterDelegate;
    std::unique_ptr<VeyraAppUpdateUserDriver> m_userDriver;
    // Last: it goes first, before what it reports to.
    std::unique_ptr<FeedAppUpdater> m_updater;
};

} // namespace veyra
