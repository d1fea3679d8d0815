#pragma once

#include "support/AnsweredPolicyClient.h"
#include "support/RunTask.h"
#include "support/UpdateTestDoubles.h"
#include "update/model/AppUpdateModel.h"
#include "update/policy/InMemoryMinimumVersionPolicyStore.h"
#include "update/scheduling/MinimumVersionScheduling.h"
#include "update/version/InMemoryAppUpdateAvailabilityStore.h"

#include <memory>

namespace veyra::test {

// A real app-update model of a running build "1.2.0" (120) whose minimum-version checks
// wait until the test answers the policy fetch, with a counting update driver and a
// scheduler that runs nothing. GUI thread only.
class TestAppUpdateModel
{
public:
    TestAppUpdateModel()
    {
        AppUpdateModel::Services services;
        services.currentVersion = running;
        services.store = std::make_shared<InMemoryAppUpdateAvailabilityStore>();
        services.minimumVersionClient = policyClient;
        services.minimumVersionStore = std::make_shared<InMemoryMinimumVersionPolicyStore>();
        services.scheduler = std::make_shared<IdleScheduler>();
        model = std::make_unique<AppUpdateModel>(std::move(services));
        auto counting = std::make_unique<CountingUpdateDriver>();
        driver = counting.get();
        model->setDriver(std::move(counting));
    }

    // Answers the oldest check (once one is waiting) with a policy that allows the running
    // build, with one that requires a newer build, or with a failure.
    void allowRunningBuild() { answer(verifiedPolicy(QStringLiteral("100"))); }
    void requireNewerBuild() { answer(verifiedPolicy(QStringLiteral("130"))); }
    void failCheck() { answer(MinimumVersionPolicyError::Kind::downloadFailed); }

    // An update is required (the running build is below the policy's minimum).
    void setUpdateRequired()
    {
        model->setMinimumVersionState(
            MinimumVersionState::required({running, QStringLiteral("130"), QStringLiteral("1.3.0")}));
    }

    const AppVersionInfo running{QStringLiteral("1.2.0"), QStringLiteral("120")};
    const std::shared_ptr<AnsweredPolicyClient> policyClient = std::make_shared<AnsweredPolicyClient>();
    std::unique_ptr<AppUpdateModel> model;
    CountingUpdateDriver *driver = nullptr;

private:
    void answer(PolicyFetchOutcome outcome)
    {
        ASSERT_TRUE(waitUntil([this] { return policyClient->waitingCount() > 0; })) << "no check is waiting";
        policyClient->answer(std::move(outcome));
    }

    // Keeps no task that could outlive the test.
    class IdleScheduler : public MinimumVersionScheduling
    {
    public:
        std::unique_ptr<MinimumVersionScheduledTask> schedule(double, std::function<void()>) override
        {
            class Idle : public MinimumVersionScheduledTask
            {
            public:
                void cancel() override { }
            };
            return std::make_unique<Idle>();
        }
    };
};

} // namespace veyra::test
