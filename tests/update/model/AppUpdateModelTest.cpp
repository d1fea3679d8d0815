// Test label: unit
#include "update/model/AppUpdateModel.h"
#include "support/AnsweredPolicyClient.h"
#include "support/LogCapture.h"
#include "support/RunTask.h"
#include "update/policy/InMemoryMinimumVersionPolicyStore.h"
#include "update/policy/MinimumVersionPolicyError.h"
#include "update/scheduling/MinimumVersionScheduling.h"
#include "update/version/InMemoryAppUpdateAvailabilityStore.h"

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;
using Kind = MinimumVersionPolicyError::Kind;
using FetchOutcome = PolicyFetchOutcome;

namespace {

VerifiedMinimumVersionPolicy policy(const QString &build, qint64 revision = 1, const QString &digest = {})
{
    return verifiedPolicy(build, revision, digest);
}

// Keeps every scheduled action so that the test can see and fire it.
class RecordingScheduler : public MinimumVersionScheduling
{
public:
    struct Entry
    {
        double seconds = 0;
        std::function<void()> action;
        bool cancelled = false;
        bool fired = false;
    };

    std::unique_ptr<MinimumVersionScheduledTask> schedule(double seconds, std::function<void()> action) override
    {
        auto entry = std::make_shared<Entry>(Entry{seconds, std::move(action)});
        entries.append(entry);
        class Task : public MinimumVersionScheduledTask
        {
        public:
            explicit Task(std::shared_ptr<Entry> entry)
                : m_entry(std::move(entry))
            { }
            ~Task() override { cancel(); }
            void cancel() override { m_entry->cancelled = true; }

        private:
            std::shared_ptr<Entry> m_entry;
        };
        return std::make_unique<Task>(entry);
    }

    // The delays of the actions still pending.
    QList<double> pending() const
    {
        QList<double> delays;
        for (const auto &entry : entries) {
            if (!entry->cancelled && !entry->fired) {
                delays << entry->seconds;
            }
        }
        return delays;
    }

    // Runs the newest action as its timer would.
    void fireLast()
    {
        const std::shared_ptr<Entry> entry = entries.last();
        ASSERT_FALSE(entry->cancelled);
        entry->fired = true;
        entry->action();
    }

    QList<std::shared_ptr<Entry>> entries;
};

class RecordingDriver : public AppUpdateDriving
{
public:
    bool canCheckForUpdates() const override { return can; }
    void start() override
    {
        ++starts;
        if (startFails) {
            throw Error(QStringLiteral("updater unavailable"));
        }
    }
    void checkForUpdates() override { ++checks; }

    bool can = true;
    bool startFails = false;
    int starts = 0;
    int checks = 0;
};

const AppVersionInfo running{QStringLiteral("1.2.0"), QStringLiteral("120")};

class AppUpdateModelTest : public ::testing::Test
{
protected:
    void makeModel(std::optional<AppVersionInfo> version = running)
    {
        AppUpdateModel::Services services;
        services.currentVersion = version;
        services.store = store;
        services.minimumVersionClient = client;
        services.minimumVersionStore = policyStore;
        services.scheduler = scheduler;
        services.webPageOpener = [this] { ++homePageOpenings; };
        model = std::make_unique<AppUpdateModel>(std::move(services));
        auto owned = std::make_unique<RecordingDriver>();
        driver = owned.get();
        model->setDriver(std::move(owned));
    }

    // Starts a check; its result lands in the returned value once it ends.
    std::shared_ptr<std::optional<bool>> startCheck(bool reportsFailure, CancellationToken token = {})
    {
        auto result = std::make_shared<std::optional<bool>>();
        [](AppUpdateModel *target, bool reports, CancellationToken cancel,
            std::shared_ptr<std::optional<bool>> out) -> QCoro::Task<void> {
            *out = co_await target->runMinimumVersionCheck(reports, std::move(cancel));
        }(model.get(), reportsFailure, std::move(token), result);
        return result;
    }

    // A foreground check answered with `outcome`; its result.
    bool foregroundCheck(FetchOutcome outcome)
    {
        model->setMinimumVersionState(MinimumVersionState::checking());
        const auto result = startCheck(true);
        client->answer(std::move(outcome));
        EXPECT_TRUE(waitUntil([&] { return result->has_value(); }));
        return result->value_or(false);
    }

    MinimumVersionRequirement requirement(const QString &minimum) const
    {
        return {running, minimum, QStringLiteral("v") + minimum};
    }

    std::shared_ptr<InMemoryAppUpdateAvailabilityStore> store = std::make_shared<InMemoryAppUpdateAvailabilityStore>();
    std::shared_ptr<AnsweredPolicyClient> client = std::make_shared<AnsweredPolicyClient>();
    std::shared_ptr<InMemoryMinimumVersionPolicyStore> policyStore
        = std::make_shared<InMemoryMinimumVersionPolicyStore>();
    std::shared_ptr<RecordingScheduler> scheduler = std::make_shared<RecordingScheduler>();
    std::unique_ptr<AppUpdateModel> model;
    RecordingDriver *driver = nullptr;
    int homePageOpenings = 0;
};

TEST_F(AppUpdateModelTest, ComparesThePolicysMinimumWithTheRunningBuild)
{
    makeModel();
    EXPECT_EQ(model->minimumVersionState(), MinimumVersionState::checking());

    // A minimum below or equal to the running build allows it, starts the driver once
    // and re-checks a day later.
    EXPECT_TRUE(foregroundCheck(policy(QStringLiteral("99"))));
    EXPECT_EQ(model->minimumVersionState(), MinimumVersionState::allowed());
    EXPECT_TRUE(model->driverStarted());
    EXPECT_EQ(scheduler->pending(), QList<double>{86400});
    EXPECT_TRUE(foregroundCheck(policy(QStringLiteral("120"), 2)));
    EXPECT_EQ(driver->starts, 1);
    EXPECT_EQ(scheduler->pending(), QList<double>{86400});
    EXPECT_EQ(scheduler->entries.size(), 2);

    // Numerically newer (not by text: "1000" sorts before "120"): required, and no
    // re-check while the build is unsupported.
    EXPECT_FALSE(foregroundCheck(policy(QStringLiteral("1000"), 3)));
    EXPECT_EQ(model->minimumVersionState(), MinimumVersionState::required(requirement(QStringLiteral("1000"))));
    EXPECT_TRUE(model->isUpdateRequired());
    EXPECT_TRUE(scheduler->pending().isEmpty());
    EXPECT_EQ(policyStore->acceptedPolicy->revision, 3);
}

TEST_F(AppUpdateModelTest, RefusedPoliciesFailTheCheckAndAreLogged)
{
    makeModel();
    EXPECT_TRUE(foregroundCheck(policy(QStringLiteral("99"), 5, QStringLiteral("a"))));
    const LogCapture log;
    EXPECT_FALSE(foregroundCheck(policy(QStringLiteral("99"), 4)));
    EXPECT_EQ(model->minimumVersionState(), MinimumVersionState::checkFailed());
    EXPECT_FALSE(foregroundCheck(policy(QStringLiteral("99"), 5, QStringLiteral("b"))));
    EXPECT_FALSE(foregroundCheck(Kind::invalidSignature));
    EXPECT_EQ(log.messages(QStringLiteral("minimum-version")),
        (QStringList{QStringLiteral("Minimum version check failed: rolledBackRevision"),
            QStringLiteral("Minimum version check failed: conflictingRevision"),
            QStringLiteral("Minimum version check failed: invalidSignature")}));
    // A failed foreground check schedules nothing more than the earlier allowed check did.
    EXPECT_EQ(scheduler->pending(), QList<double>{86400});
    // The same revision with the same digest is accepted again.
    EXPECT_TRUE(foregroundCheck(policy(QStringLiteral("99"), 5, QStringLiteral("a"))));
}

TEST_F(AppUpdateModelTest, WithoutARunningVersionTheCheckStoresThePolicyAndFails)
{
    makeModel(std::nullopt);
    const LogCapture log;
    EXPECT_FALSE(foregroundCheck(policy(QStringLiteral("1"), 7)));
    EXPECT_EQ(model->minimumVersionState(), MinimumVersionState::checkFailed());
    ASSERT_TRUE(policyStore->acceptedPolicy);
    EXPECT_EQ(policyStore->acceptedPolicy->revision, 7);
    EXPECT_EQ(log.messages(QStringLiteral("minimum-version")),
        QStringList{QStringLiteral("Minimum version check failed: invalidConfiguration")});
}

TEST_F(AppUpdateModelTest, BackgroundChecksRetryAnHourAfterAFailureAndKeepTheState)
{
    makeModel();
    EXPECT_TRUE(foregroundCheck(policy(QStringLiteral("99"))));
    ASSERT_EQ(scheduler->pending(), QList<double>{86400});

    // The scheduled check fires; it fails: allowed stays, a retry in an hour.
    scheduler->fireLast();
    ASSERT_TRUE(waitUntil([&] { return client->waitingCount() == 1; }));
    client->answer(Kind::downloadFailed);
    ASSERT_TRUE(waitUntil([&] { return scheduler->pending() == QList<double>{3600}; }));
    EXPECT_EQ(model->minimumVersionState(), MinimumVersionState::allowed());

    // The retry succeeds: a day again. Then one that finds the build too old: required,
    // nothing pending.
    scheduler->fireLast();
    ASSERT_TRUE(waitUntil([&] { return client->waitingCount() == 1; }));
    client->answer(policy(QStringLiteral("100"), 2));
    ASSERT_TRUE(waitUntil([&] { return scheduler->pending() == QList<double>{86400}; }));
    scheduler->fireLast();
    ASSERT_TRUE(waitUntil([&] { return client->waitingCount() == 1; }));
    client->answer(policy(QStringLiteral("121"), 3));
    ASSERT_TRUE(waitUntil([&] { return model->isUpdateRequired(); }));
    EXPECT_TRUE(scheduler->pending().isEmpty());

    // An action that fires after the model has gone does nothing.
    const std::function<void()> late = scheduler->entries.last()->action;
    model.reset();
    late();
    QCoreApplication::processEvents();
    EXPECT_EQ(client->fetchCount, 4);
}

TEST_F(AppUpdateModelTest, AFailedBackgroundCheckThatFindsTheScreenCheckingOffersTryAgain)
{
    makeModel();
    EXPECT_TRUE(foregroundCheck(policy(QStringLiteral("99"))));
    // The main window comes back and starts its check, then the daily check starts and
    // supersedes it; the daily check fails.
    model->setMinimumVersionState(MinimumVersionState::checking());
    const auto foreground = startCheck(true);
    scheduler->fireLast();
    ASSERT_TRUE(waitUntil([&] { return client->waitingCount() == 2; }));
    client->answer(policy(QStringLiteral("99")));
    client->answer(Kind::downloadFailed);
    ASSERT_TRUE(waitUntil([&] { return foreground->has_value(); }));
    EXPECT_FALSE(**foreground);
    ASSERT_TRUE(waitUntil([&] { return model->minimumVersionState() == MinimumVersionState::checkFailed(); }));
    // Like a failed foreground check: the user retries; nothing is scheduled.
    EXPECT_TRUE(scheduler->pending().isEmpty());
}

TEST_F(AppUpdateModelTest, OnlyTheNewestOfOverlappingChecksCounts)
{
    makeModel();
    model->setMinimumVersionState(MinimumVersionState::checking());
    const auto first = startCheck(true);
    const auto second = startCheck(true);
    ASSERT_TRUE(waitUntil([&] { return client->waitingCount() == 2; }));
    const LogCapture log;
    client->answer(policy(QStringLiteral("99")));
    ASSERT_TRUE(waitUntil([&] { return first->has_value(); }));
    EXPECT_FALSE(**first);
    EXPECT_EQ(model->minimumVersionState(), MinimumVersionState::checking());
    EXPECT_FALSE(policyStore->acceptedPolicy.has_value());
    client->answer(policy(QStringLiteral("121")));
    ASSERT_TRUE(waitUntil([&] { return second->has_value(); }));
    EXPECT_EQ(model->minimumVersionState(), MinimumVersionState::required(requirement(QStringLiteral("121"))));

    // A superseded failure changes nothing and logs nothing.
    const auto third = startCheck(true);
    const auto fourth = startCheck(true);
    ASSERT_TRUE(waitUntil([&] { return client->waitingCount() == 2; }));
    client->answer(Kind::downloadFailed);
    ASSERT_TRUE(waitUntil([&] { return third->has_value(); }));
    EXPECT_TRUE(log.messages(QStringLiteral("minimum-version")).isEmpty());
    EXPECT_TRUE(model->isUpdateRequired());

    // A cancelled check ends without any effect.
    const CancellationToken token;
    model->setMinimumVersionState(MinimumVersionState::checking());
    const auto cancelled = startCheck(true, token);
    token.cancel();
    ASSERT_TRUE(waitUntil([&] { return cancelled->has_value(); }));
    EXPECT_FALSE(**cancelled);
    EXPECT_EQ(model->minimumVersionState(), MinimumVersionState::checking());
    EXPECT_TRUE(log.messages(QStringLiteral("minimum-version")).isEmpty());
    client->answer(policy(QStringLiteral("99")));
    ASSERT_TRUE(waitUntil([&] { return fourth->has_value(); }));
}

TEST_F(AppUpdateModelTest, UserChecksRunThroughTheDriverAsOneSession)
{
    makeModel();
    // Not before the driver started.
    driver->can = false;
    model->checkForUpdates();
    EXPECT_EQ(driver->checks, 0);
    EXPECT_TRUE(foregroundCheck(policy(QStringLiteral("99"))));
    driver->can = true;
    EXPECT_TRUE(model->canCheckForUpdates());
    model->checkForUpdates();
    EXPECT_EQ(driver->checks, 1);
    EXPECT_TRUE(model->isUpdateSessionActive());
    EXPECT_FALSE(model->canCheckForUpdates());
    model->checkForUpdates();
    EXPECT_EQ(driver->checks, 1);

    // Found: a newer build is published and stored; one equal to the running build clears
    // both.
    model->recordFoundUpdate(QStringLiteral("1.3.0"), QStringLiteral("130"));
    const AvailableAppUpdate found{QStringLiteral("1.3.0"), QStringLiteral("130")};
    EXPECT_EQ(model->availableUpdate(), found);
    EXPECT_EQ(store->update, found);
    model->finishUpdateCycle(true);
    EXPECT_FALSE(model->isUpdateSessionActive());
    EXPECT_EQ(model->minimumVersionState(), MinimumVersionState::allowed());
    model->recordFoundUpdate(QStringLiteral("1.2.0"), QStringLiteral("120"));
    EXPECT_EQ(model->availableUpdate(), std::nullopt);
    EXPECT_EQ(store->update, std::nullopt);

    // Outside a required update, marking an install failed only ends the session.
    model->setUpdateSessionActive(true);
    model->markRequiredInstallFailed();
    EXPECT_FALSE(model->isUpdateSessionActive());
    EXPECT_EQ(model->minimumVersionState(), MinimumVersionState::allowed());
    // And installRequiredUpdate does nothing.
    model->installRequiredUpdate();
    EXPECT_EQ(driver->checks, 1);
    EXPECT_FALSE(model->requiredInstallMode());
}

TEST_F(AppUpdateModelTest, TheRequiredInstallInstallsOnlyABuildThatReachesTheMinimum)
{
    makeModel();
    EXPECT_FALSE(foregroundCheck(policy(QStringLiteral("130"))));
    const MinimumVersionRequirement needed = requirement(QStringLiteral("130"));
    EXPECT_FALSE(model->driverStarted());
    // With a driver, a check may start even before it started.
    driver->can = false;
    EXPECT_TRUE(model->canCheckForUpdates());
    driver->can = true;

    // The user's check runs the required install: the driver starts first.
    model->checkForUpdates();
    EXPECT_TRUE(model->requiredInstallMode());
    EXPECT_EQ(driver->starts, 1);
    EXPECT_EQ(driver->checks, 1);
    EXPECT_TRUE(model->isUpdateSessionActive());
    model->installRequiredUpdate();
    EXPECT_EQ(driver->checks, 1);

    // A build one below the minimum fails the install; the minimum itself is installed.
    EXPECT_FALSE(model->shouldInstallRequiredUpdate(QStringLiteral("1.2.9"), QStringLiteral("129")));
    EXPECT_EQ(model->minimumVersionState(), MinimumVersionState::installFailed(needed));
    EXPECT_FALSE(model->isUpdateSessionActive());
    EXPECT_EQ(model->availableUpdate(), std::nullopt);
    model->installRequiredUpdate();
    EXPECT_EQ(driver->checks, 2);
    EXPECT_TRUE(model->shouldInstallRequiredUpdate(QStringLiteral("1.3.0"), QStringLiteral("130")));
    EXPECT_EQ(model->availableUpdate(), (AvailableAppUpdate{QStringLiteral("1.3.0"), QStringLiteral("130")}));
    EXPECT_EQ(model->minimumVersionState(), MinimumVersionState::installFailed(needed));
    EXPECT_TRUE(model->isUpdateSessionActive());
    // The cycle ends with an error: failed again. Nothing found: failed.
    model->finishUpdateCycle(true);
    EXPECT_EQ(model->minimumVersionState(), MinimumVersionState::installFailed(needed));
    EXPECT_FALSE(model->isUpdateSessionActive());
    model->setMinimumVersionState(MinimumVersionState::required(needed));
    model->handleNoUpdateFound();
    EXPECT_EQ(model->minimumVersionState(), MinimumVersionState::installFailed(needed));

    // A later check that allows the build ends the required-install mode.
    EXPECT_TRUE(foregroundCheck(policy(QStringLiteral("99"), 2)));
    EXPECT_FALSE(model->requiredInstallMode());
}

TEST_F(AppUpdateModelTest, ADriverThatCannotStartFailsTheRequiredInstallAndIsTriedAgain)
{
    makeModel();
    driver->startFails = true;
    const LogCapture log;
    EXPECT_TRUE(foregroundCheck(policy(QStringLiteral("99"))));
    EXPECT_FALSE(model->driverStarted());
    EXPECT_EQ(log.messages(QStringLiteral("minimum-version")),
        QStringList{QStringLiteral("Sparkle failed to start: updater unavailable")});

    EXPECT_FALSE(foregroundCheck(policy(QStringLiteral("130"), 2)));
    model->installRequiredUpdate();
    EXPECT_EQ(driver->starts, 2);
    EXPECT_EQ(driver->checks, 0);
    EXPECT_EQ(model->minimumVersionState(), MinimumVersionState::installFailed(requirement(QStringLiteral("130"))));
    EXPECT_FALSE(model->isUpdateSessionActive());

    driver->startFails = false;
    model->installRequiredUpdate();
    EXPECT_EQ(driver->starts, 3);
    EXPECT_EQ(driver->checks, 1);
    EXPECT_TRUE(model->driverStarted());

    // Without any driver a required install fails at once, and no check may start.
    AppUpdateModel::Services services;
    services.currentVersion = running;
    services.store = store;
    services.minimumVersionClient = client;
    services.minimumVersionStore = policyStore;
    services.scheduler = scheduler;
    AppUpdateModel bare(services);
    bare.setMinimumVersionState(MinimumVersionState::required(requirement(QStringLiteral("130"))));
    EXPECT_FALSE(bare.canCheckForUpdates());
    bare.installRequiredUpdate();
    EXPECT_EQ(bare.minimumVersionState(), MinimumVersionState::installFailed(requirement(QStringLiteral("130"))));
}

} // namespace
