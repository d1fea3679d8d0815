#include "update/drivers/FeedAppUpdateController.h"

#include "foundation/async/Sleeper.h"
#include "translation/http/QtNetworkHTTPTransport.h"
#include "update/configuration/StandardBase64.h"
#include "update/drivers/FeedAppUpdateDelegate.h"
#include "update/prompt/AppUpdatePromptController.h"
#include "update/prompt/VeyraAppUpdateUserDriver.h"
#include "update/updater/AppImageUpdateInstaller.h"
#include "update/updater/DownloadPageUpdateInstaller.h"
#include "update/updater/FeedAppUpdater.h"
#include "update/updater/QtNetworkUpdateArchiveDownloader.h"
#include "update/updater/RunningAppImage.h"
#include "update/version/AppVersionInfo.h"

#include <QDesktopServices>

namespace veyra {

namespace {

std::shared_ptr<AppUpdateInstalling> makeInstaller(
    const AppUpdateConfiguration &configuration, FeedAppUpdateEnvironment &environment)
{
    if (!environment.appImagePath) {
        return std::make_shared<DownloadPageUpdateInstaller>(environment.openURL);
    }
    std::shared_ptr<UpdateArchiveDownloading> downloader = environment.downloader;
    if (!downloader) {
        downloader = std::make_shared<QtNetworkUpdateArchiveDownloader>();
    }
    return std::make_shared<AppImageUpdateInstaller>(*environment.appImagePath,
        decodeStandardBase64(configuration.publicKey).value_or(QByteArray()), std::move(downloader),
        environment.relaunch);
}

} // namespace

FeedAppUpdateEnvironment FeedAppUpdateEnvironment::live()
{
    FeedAppUpdateEnvironment environment;
    environment.appImagePath = runningAppImagePath(AppImageLaunch::ofThisProcess());
    environment.relaunch = relaunchAppImage;
    environment.openURL = [](const QUrl &url) { QDesktopServices::openUrl(url); };
    return environment;
}

FeedAppUpdateController::FeedAppUpdateController(AppUpdateConfiguration configuration, AppUpdateModel *model,
    const InfoDictionary &info, FeedAppUpdateEnvironment environment)
    : m_updaterDelegate(std::make_unique<FeedAppUpdateDelegate>(model))
{
    const std::optional<AppVersionInfo> currentVersion = AppVersionInfo::fromInfoDictionary(info);
    m_userDriver = std::make_unique<VeyraAppUpdateUserDriver>(
        model, currentVersion, std::make_unique<AppUpdatePromptController>());

    FeedAppUpdater::Dependencies dependencies;
    dependencies.transport = environment.transport ? environment.transport : std::make_shared<QtNetworkHTTPTransport>();
    dependencies.installer = makeInstaller(configuration, environment);
    dependencies.sleeper = environment.sleeper ? environment.sleeper : std::make_shared<TimerSleeper>();
    dependencies.backgroundCheckInterval = environment.backgroundCheckInterval;
    m_updater = std::make_unique<FeedAppUpdater>(
        std::move(configuration), currentVersion, *m_userDriver, *m_updaterDelegate, std::move(dependencies));
    m_updater->onCanCheckForUpdatesChanged = [this] {
        if (onCanCheckForUpdatesChanged) {
            onCanCheckForUpdatesChanged();
        }
    };
}

FeedAppUpdateController::~FeedAppUpdateController()
{
    m_updater.reset();
}

bool FeedAppUpdateController::canCheckForUpdates() const
{
    return m_updater->canCheckForUpdates();
}

void FeedAppUpdateController::start()
{
    m_updater->start();
}

void FeedAppUpdateController::checkForUpdates()
{
    m_updater->checkForUpdates();
}

} // namespace veyra
