#pragma once

#include "update/policy/MinimumVersionPolicyStoring.h"
#include "update/policy/VerifiedMinimumVersionPolicy.h"

namespace veyra {

// The acceptance rule, applied to `store`: with no stored record, or a higher revision
// than the stored one, the policy is accepted and its revision and digest are saved; the
// stored revision with the stored digest is accepted and saved again; the stored revision
// with another digest throws MinimumVersionPolicyError::conflictingRevision and a lower
// revision rolledBackRevision, both leaving the store unchanged.
void acceptMinimumVersionPolicy(const VerifiedMinimumVersionPolicy &verified, MinimumVersionPolicyStoring &store);

} // namespace veyra
