#pragma once

#include "app/flow/AppUpdateStatusProviding.h"
#include "support/ManualCall.h"

#include <memory>
#include <vector>

namespace veyra::test {

// The app-update model's state as the main window and the menus read it, set by the
// test. Each minimum-version check waits until the test answers it (oldest first).
class FakeAppUpdateStatus : public AppUpdateStatusProviding
{
public:
    bool minimumVersionAllowed = false;
    bool availableUpdate = false;
    bool canCheck = true;
    bool updateRequired = false;
    int checkForUpdatesCount = 0;
    int beginCheckCount = 0;

    // Checks still out end as failed, so that no waiting task outlives the test.
    ~FakeAppUpdateStatus() override
    {
        for (const auto &call : m_checks) {
            if (!call->finished()) {
                call->succeed(false);
            }
        }
    }

    bool isMinimumVersionAllowed() const override { return minimumVersionAllowed; }
    void beginMinimumVersionCheck() override
    {
        ++beginCheckCount;
        setMinimumVersionAllowed(false);
    }
    QCoro::Task<bool> runMinimumVersionCheck(bool reportsFailure) override
    {
        m_reportsFailure.push_back(reportsFailure);
        auto call = std::make_shared<ManualCall<bool>>(CancellationToken());
        m_checks.push_back(call);
        co_await call->untilFinished();
        co_return call->outcome();
    }
    bool hasAvailableUpdate() const override { return availableUpdate; }
    bool isUpdateRequired() const override { return updateRequired; }
    bool canCheckForUpdates() const override { return canCheck; }
    void checkForUpdates() override { ++checkForUpdatesCount; }

    // Checks not answered yet.
    int pendingChecks() const
    {
        return static_cast<int>(
            std::count_if(m_checks.begin(), m_checks.end(), [](const auto &call) { return !call->finished(); }));
    }
    // Ends the oldest pending check: allowed (the state becomes `allowed`) or not.
    void answerCheck(bool allowed)
    {
        for (const auto &call : m_checks) {
            if (!call->finished()) {
                if (allowed) {
                    setMinimumVersionAllowed(true);
                }
                call->succeed(allowed);
                return;
            }
        }
    }
    const std::vector<bool> &reportsFailure() const { return m_reportsFailure; }

    void setMinimumVersionAllowed(bool allowed)
    {
        if (minimumVersionAllowed != allowed) {
            minimumVersionAllowed = allowed;
            Q_EMIT minimumVersionStateChanged();
        }
    }
    void setAvailableUpdate(bool available)
    {
        availableUpdate = available;
        Q_EMIT availableUpdateChanged();
    }
    void setCanCheck(bool can)
    {
        canCheck = can;
        Q_EMIT canCheckForUpdatesChanged();
    }

private:
    std::vector<std::shared_ptr<ManualCall<bool>>> m_checks;
    std::vector<bool> m_reportsFailure;
};

} // namespace veyra::test
