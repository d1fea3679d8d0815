#pragma once

#include "update/policy/MinimumVersionPolicyFetching.h"

namespace veyra {

// Stands in when the policy configuration is missing or invalid: every fetch fails at
// once with MinimumVersionPolicyError::invalidConfiguration, without any request.
class FailingMinimumVersionPolicyClient : public MinimumVersionPolicyFetching
{
public:
    QCoro::Task<VerifiedMinimumVersionPolicy> fetch(CancellationToken token) override;
};

} // namespace veyra
