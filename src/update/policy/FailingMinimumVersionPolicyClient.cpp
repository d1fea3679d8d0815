#include "update/policy/FailingMinimumVersionPolicyClient.h"

#include "update/policy/MinimumVersionPolicyError.h"

namespace veyra {

QCoro::Task<VerifiedMinimumVersionPolicy> FailingMinimumVersionPolicyClient::fetch(CancellationToken token)
{
    Q_UNUSED(token);
    throw MinimumVersionPolicyError(MinimumVersionPolicyError::Kind::invalidConfiguration);
    co_return VerifiedMinimumVersionPolicy();
}

} // namespace veyra
