// Test label: ui
#include "update/factory/AppUpdateFactory.h"
#include "foundation/settings/UserDefaults.h"
#include "support/GatedSleeper.h"
#include "support/LogCapture.h"
#include "support/RunTask.h"
#include "support/UpdateFeedScript.h"
#include "support/UpdateTestDoubles.h"
#include "update/drivers/DisabledAppUpdateController.h"
#include "update/drivers/FixtureAppUpdateController.h"
#include "update/version/UserDefaultsAppUpdateAvailabilityStore.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;

namespace {

class AppUpdateFactoryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        defaults = std::make_unique<UserDefaults>(folder.filePath(QStringLiteral("defaults.json")));
        appImagePath = folder.filePath(QStringLiteral("Veyra.AppImage"));
        QFile file(appImagePath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\necho Veyra 1.0.0\n");
    }

    // The models are gone: their waiting tasks end on the next turns of the event loop.
    void TearDown() override
    {
        for (int turn = 0; turn < 3; ++turn) {
            QCoreApplication::processEvents();
        }
    }

    AppUpdateModelEnvironment environment()
    {
        AppUpdateModelEnvironment result;
        result.defaults = defaults.get();
        result.updater.appImagePath = appImagePath;
        result.updater.relaunch = [this](const QString &path) { relaunched << path; };
        result.updater.openURL = [this](const QUrl &url) { opened << url; };
        result.updater.sleeper = sleeper;
        return result;
    }

    std::unique_ptr<AppUpdateModel> live(const InfoDictionary &info)
    {
        return makeAppUpdateModel(
            info, false, false, MinimumVersionFixtureMode::allowed, [this] { ++homePageOpenings; }, environment());
    }

    void storeUpdate(const QString &build)
    {
        UserDefaultsAppUpdateAvailabilityStore(*defaults).save({QStringLiteral("v") + build, build});
    }

    QTemporaryDir folder;
    std::unique_ptr<UserDefaults> defaults;
    QString appImagePath;
    std::shared_ptr<GatedSleeper> sleeper = std::make_shared<GatedSleeper>();
    QStringList relaunched;
    QList<QUrl> opened;
    int homePageOpenings = 0;
    ServiceStandIn standIn;
};

TEST_F(AppUpdateFactoryTest, LiveModelKeepsOnlyAStoredUpdateNewerThanTheRunningBuild)
{
    storeUpdate(QStringLiteral("100"));
    auto model = live(updateInfoDictionary(standIn));
    EXPECT_EQ(model->currentVersion(), (AppVersionInfo{QStringLiteral("1.0.0"), QStringLiteral("100")}));
    EXPECT_EQ(model->availableUpdate(), std::nullopt);
    EXPECT_FALSE(defaults->contains(UserDefaultsAppUpdateAvailabilityStore::key));

    storeUpdate(QStringLiteral("101"));
    model = live(updateInfoDictionary(standIn));
    EXPECT_EQ(model->availableUpdate(), (AvailableAppUpdate{QStringLiteral("v101"), QStringLiteral("101")}));
    // Nothing started: no check, no driver, no request.
    EXPECT_EQ(model->minimumVersionState(), MinimumVersionState::checking());
    EXPECT_FALSE(model->driverStarted());
    EXPECT_EQ(sleeper->calls().size(), 0);
    EXPECT_EQ(standIn.requestCount(), 0);
    model->webPageOpener()();
    EXPECT_EQ(homePageOpenings, 1);

    // Without version strings there is no running version and the stored update goes.
    InfoDictionary unversioned = updateInfoDictionary(standIn);
    unversioned.remove(QStringLiteral("CFBundleVersion"));
    model = live(unversioned);
    EXPECT_EQ(model->currentVersion(), std::nullopt);
    EXPECT_EQ(model->availableUpdate(), std::nullopt);
    EXPECT_FALSE(defaults->contains(UserDefaultsAppUpdateAvailabilityStore::key));
}

TEST_F(AppUpdateFactoryTest, AnUnusableConfigurationCostsUpdatesOrTheCheckButNotTheStart)
{
    InfoDictionary info = updateInfoDictionary(standIn);
    info.remove(QStringLiteral("SUFeedURL"));
    info[QStringLiteral("MinimumVersionPolicyURL")] = QStringLiteral("http://veyra.example/policy.json");
    const LogCapture log;
    const auto model = live(info);
    EXPECT_NE(dynamic_cast<DisabledAppUpdateController *>(model->driver()), nullptr);
    EXPECT_EQ(log.messages(QStringLiteral("app-update")),
        QStringList{QStringLiteral("Automatic updates disabled: invalid configuration (missingFeedURL)")});

    // The policy cannot be fetched: every check fails without a request.
    EXPECT_FALSE(runTask(model->runMinimumVersionCheck(true)));
    EXPECT_EQ(model->minimumVersionState(), MinimumVersionState::checkFailed());
    EXPECT_EQ(standIn.requestCount(), 0);
    EXPECT_FALSE(model->canCheckForUpdates());
}

TEST_F(AppUpdateFactoryTest, FixtureModesImitateEveryState)
{
    const auto available = makeAppUpdateModel(
        {}, true, true, MinimumVersionFixtureMode::allowed, [] {}, environment());
    EXPECT_EQ(available->currentVersion(), (AppVersionInfo{QStringLiteral("0.1.0"), QStringLiteral("1")}));
    EXPECT_EQ(available->availableUpdate(), (AvailableAppUpdate{QStringLiteral("99.0.0"), QStringLiteral("9999")}));
    EXPECT_EQ(available->store().load(), available->availableUpdate());
    EXPECT_FALSE(defaults->contains(UserDefaultsAppUpdateAvailabilityStore::key));
    auto *fixture = dynamic_cast<FixtureAppUpdateController *>(available->driver());
    ASSERT_NE(fixture, nullptr);
    EXPECT_FALSE(fixture->canCheckForUpdates());
    EXPECT_FALSE(fixture->requiredInstallFails());
    EXPECT_TRUE(runTask(available->runMinimumVersionCheck(true)));

    const auto failed = makeAppUpdateModel({}, true, false, MinimumVersionFixtureMode::checkFailed, [] {});
    EXPECT_EQ(failed->availableUpdate(), std::nullopt);
    EXPECT_FALSE(runTask(failed->runMinimumVersionCheck(true)));
    EXPECT_EQ(failed->minimumVersionState(), MinimumVersionState::checkFailed());

    const auto installFailed = makeAppUpdateModel({}, true, false, MinimumVersionFixtureMode::installFailed, [] {});
    EXPECT_FALSE(runTask(installFailed->runMinimumVersionCheck(true)));
    EXPECT_EQ(installFailed->minimumVersionState().kind(), MinimumVersionState::Case::required);
    EXPECT_EQ(installFailed->minimumVersionState().requirement()->minimumSupportedVersion, QStringLiteral("99.0.0"));
    installFailed->installRequiredUpdate();
    EXPECT_EQ(installFailed->minimumVersionState().kind(), MinimumVersionState::Case::installFailed);

    // Checking: the check stays pending until it is cancelled.
    const auto checking = makeAppUpdateModel({}, true, false, MinimumVersionFixtureMode::checking, [] {});
    const CancellationToken token;
    bool ended = false;
    [](AppUpdateModel *model, CancellationToken cancel, bool &done) -> QCoro::Task<void> {
        co_await model->runMinimumVersionCheck(true, cancel);
        done = true;
    }(checking.get(), token, ended);
    QCoreApplication::processEvents();
    EXPECT_FALSE(ended);
    token.cancel();
    ASSERT_TRUE(waitUntil([&] { return ended; }));
    EXPECT_EQ(checking->minimumVersionState(), MinimumVersionState::checking());
}

// The whole road: the signed policy allows the build, the updater starts and its background
// check records the newer build; then a new policy requires it, and the required install
// puts the newer AppImage in place and restarts, without the update prompt.
TEST_F(AppUpdateFactoryTest, FromThePolicyToTheInstalledUpdate)
{
    const FeedRelease release = feedRelease(QStringLiteral("130"), QStringLiteral("1.3.0"));
    publishReleases(standIn, {release});
    enqueueSignedPolicy(standIn, policyDocument(1, QStringLiteral("100"), QStringLiteral("1.0.0")));
    const auto model = live(updateInfoDictionary(standIn));

    model->setMinimumVersionState(MinimumVersionState::checking());
    ASSERT_TRUE(runTask(model->runMinimumVersionCheck(true)));
    EXPECT_TRUE(model->driverStarted());
    ASSERT_TRUE(waitUntil([&] { return sleeper->sleepingCount() == 1; }));
    sleeper->releaseOne();
    ASSERT_TRUE(waitUntil([&] { return model->availableUpdate().has_value(); }, 20000));
    EXPECT_EQ(model->availableUpdate(), (AvailableAppUpdate{QStringLiteral("1.3.0"), QStringLiteral("130")}));
    EXPECT_TRUE(defaults->contains(UserDefaultsAppUpdateAvailabilityStore::key));
    EXPECT_TRUE(visibleTopLevelWindows().isEmpty());
    EXPECT_EQ(standIn.requests("GET", release.archivePath()).size(), 0);
    ASSERT_TRUE(waitUntil([&] { return model->canCheckForUpdates(); }));

    enqueueSignedPolicy(standIn, policyDocument(2, QStringLiteral("130"), QStringLiteral("1.3.0")));
    ASSERT_FALSE(runTask(model->runMinimumVersionCheck(true)));
    ASSERT_EQ(model->minimumVersionState().kind(), MinimumVersionState::Case::required);
    model->installRequiredUpdate();
    ASSERT_TRUE(waitUntil([&] { return !relaunched.isEmpty(); }, 20000));
    EXPECT_EQ(relaunched, QStringList{QFileInfo(appImagePath).canonicalFilePath()});
    QFile installed(appImagePath);
    ASSERT_TRUE(installed.open(QIODevice::ReadOnly));
    EXPECT_EQ(installed.readAll(), release.archive);
    EXPECT_FALSE(model->isUpdateSessionActive());
    EXPECT_EQ(model->minimumVersionState().kind(), MinimumVersionState::Case::required);
    EXPECT_TRUE(opened.isEmpty());
}

} // namespace
