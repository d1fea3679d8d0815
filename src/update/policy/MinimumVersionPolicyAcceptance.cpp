#include "update/policy/MinimumVersionPolicyAcceptance.h"

#include "update/policy/MinimumVersionPolicyError.h"

namespace veyra {

void acceptMinimumVersionPolicy(const VerifiedMinimumVersionPolicy &verified, MinimumVersionPolicyStoring &store)
{
    const qint64 revision = verified.policy.policyRevision;
    if (const std::optional<AcceptedMinimumVersionPolicy> stored = store.load()) {
        if (revision < stored->revision) {
            throw MinimumVersionPolicyError(MinimumVersionPolicyError::Kind::rolledBackRevision);
        }
        if (revision == stored->revision && verified.digest != stored->digest) {
            throw MinimumVersionPolicyError(MinimumVersionPolicyError::Kind::conflictingRevision);
        }
    }
    store.save({revision, verified.digest});
}

} // namespace veyra
