#pragma once

#include "update/policy/MinimumVersionPolicyFetching.h"

namespace veyra {

// Answers every fetch from a fixed result, for UI testing:
// - allowed: a policy with minimum build "1" (version "0.1.0"), digest "fixture-1";
// - required: minimum build "9999" (version "99.0.0"), digest "fixture-9999";
// - failed: MinimumVersionPolicyError::downloadFailed;
// - suspended: the fetch never ends on its own; once `token` is cancelled it throws
//   CancellationError.
class FixtureMinimumVersionPolicyClient : public MinimumVersionPolicyFetching
{
public:
    enum class Result {
        allowed,
        required,
        failed,
        suspended,
    };

    explicit FixtureMinimumVersionPolicyClient(Result result);

    QCoro::Task<VerifiedMinimumVersionPolicy> fetch(CancellationToken token) override;

    Result result() const { return m_result; }

private:
    Result m_result;
};

} // namespace veyra
