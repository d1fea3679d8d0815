#pragma once

#include "capture/windows/WindowCatalogProviding.h"
#include "support/ManualCall.h"

#include <QRectF>
#include <QString>
#include <QVector>

#include <memory>
#include <utility>

namespace veyra::test {

// A window catalog whose every call waits until the test answers it, so that a test can
// let answers arrive late, out of order or never. Calls are answered oldest first.
// GUI thread only.
class ManualWindowCatalog : public WindowCatalogProviding
{
public:
    using GroupsCall = ManualCall<QVector<CaptureApplicationGroup>>;
    using AvailabilityCall = ManualCall<bool>;

    QCoro::Task<QVector<CaptureApplicationGroup>> applicationGroups() override
    {
        auto call = std::make_shared<GroupsCall>(CancellationToken());
        m_groupsCalls.push_back(call);
        co_await call->untilFinished();
        co_return call->outcome();
    }

    QCoro::Task<bool> isAvailable(CaptureTarget target) override
    {
        auto call = std::make_shared<AvailabilityCall>(CancellationToken());
        m_availabilityCalls.push_back(call);
        m_checkedTargets.push_back(std::move(target));
        co_await call->untilFinished();
        co_return call->outcome();
    }

    // Calls not answered yet.
    int pendingGroupsCalls() const { return countPending(m_groupsCalls); }
    int pendingAvailabilityCalls() const { return countPending(m_availabilityCalls); }
    const QVector<CaptureTarget> &checkedTargets() const { return m_checkedTargets; }

    // Answers the oldest unanswered call of that kind.
    void answerGroups(QVector<CaptureApplicationGroup> groups)
    {
        oldestPending(m_groupsCalls)->succeed(std::move(groups));
    }
    void failGroups() { oldestPending(m_groupsCalls)->fail(WindowCatalogError(WindowCatalogError::Kind::unavailable)); }
    void answerAvailability(bool available) { oldestPending(m_availabilityCalls)->succeed(available); }
    // Answers the newest unanswered call of that kind (for answers out of order).
    void answerNewestGroups(QVector<CaptureApplicationGroup> groups)
    {
        newestPending(m_groupsCalls)->succeed(std::move(groups));
    }

private:
    template <typename Call>
    static int countPending(const QVector<std::shared_ptr<Call>> &calls)
    {
        return static_cast<int>(
            std::count_if(calls.begin(), calls.end(), [](const auto &call) { return !call->finished(); }));
    }
    template <typename Call>
    static std::shared_ptr<Call> oldestPending(const QVector<std::shared_ptr<Call>> &calls)
    {
        for (const auto &call : calls) {
            if (!call->finished()) {
                return call;
            }
        }
        throw std::logic_error("no call is waiting for an answer");
    }
    template <typename Call>
    static std::shared_ptr<Call> newestPending(const QVector<std::shared_ptr<Call>> &calls)
    {
        for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
            if (!(*it)->finished()) {
                return *it;
            }
        }
        throw std::logic_error("no call is waiting for an answer");
    }

    QVector<std::shared_ptr<GroupsCall>> m_groupsCalls;
    QVector<std::shared_ptr<AvailabilityCall>> m_availabilityCalls;
    QVector<CaptureTarget> m_checkedTargets;
};

// One window of a test application group.
struct TestWindow
{
    std::uint32_t windowID = 0;
    QString title;
    QRectF frame{0, 0, 800, 600};
};

// An application group as the catalog lists it, its windows carrying its identity.
inline CaptureApplicationGroup applicationGroup(
    std::int32_t processID, const QString &name, const QVector<TestWindow> &windows)
{
    CaptureApplicationGroup group;
    group.processID = processID;
    group.bundleIdentifier = QStringLiteral("test.") + name;
    group.applicationName = name;
    for (const TestWindow &window : windows) {
        CaptureTarget target;
        target.windowID = window.windowID;
        target.processID = processID;
        target.bundleIdentifier = group.bundleIdentifier;
        target.applicationName = name;
        target.windowTitle = window.title;
        target.frame = window.frame;
        group.windows.append(target);
    }
    return group;
}

} // namespace veyra::test
