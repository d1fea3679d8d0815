#pragma once

#include "support/TestGate.h"
#include "update/policy/MinimumVersionPolicyError.h"
#include "update/policy/MinimumVersionPolicyFetching.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <optional>
#include <variant>

namespace veyra::test {

// What a fetch of the policy ends with: a verified policy or an error.
using PolicyFetchOutcome = std::variant<VerifiedMinimumVersionPolicy, MinimumVersionPolicyError::Kind>;

// A verified policy with minimum build `build` (shown as "v<build>").
inline VerifiedMinimumVersionPolicy verifiedPolicy(
    const QString &build, qint64 revision = 1, const QString &digest = {}, const QString &version = {})
{
    return {{1, revision, build, version.isEmpty() ? QStringLiteral("v") + build : version},
        digest.isEmpty() ? QStringLiteral("digest-%1-%2").arg(revision).arg(build) : digest};
}

// A policy client whose every fetch waits until the test answers it; each answer goes to
// the oldest fetch still waiting. A fetch whose token is cancelled ends with
// CancellationError. GUI thread only.
class AnsweredPolicyClient : public MinimumVersionPolicyFetching
{
    struct Slot
    {
        std::optional<PolicyFetchOutcome> outcome;
        bool ended = false;
    };

public:
    QCoro::Task<VerifiedMinimumVersionPolicy> fetch(CancellationToken token) override
    {
        auto slot = std::make_shared<Slot>();
        m_slots.push_back(slot);
        ++fetchCount;
        const struct Ended
        {
            Slot &slot;
            ~Ended() { slot.ended = true; }
        } ended{*slot};
        co_await m_gate.wait(token);
        if (const auto *error = std::get_if<MinimumVersionPolicyError::Kind>(&*slot->outcome)) {
            throw MinimumVersionPolicyError(*error);
        }
        co_return std::get<VerifiedMinimumVersionPolicy>(*slot->outcome);
    }

    void answer(PolicyFetchOutcome outcome)
    {
        std::erase_if(m_slots, [](const auto &slot) { return slot->ended || slot->outcome; });
        ASSERT_FALSE(m_slots.empty()) << "no fetch is waiting";
        m_slots.front()->outcome = std::move(outcome);
        m_slots.pop_front();
        ASSERT_TRUE(m_gate.releaseOne());
    }

    int waitingCount() { return m_gate.waitingCount(); }

    int fetchCount = 0;

private:
    std::deque<std::shared_ptr<Slot>> m_slots;
    TestGate m_gate;
};

} // namespace veyra::test
