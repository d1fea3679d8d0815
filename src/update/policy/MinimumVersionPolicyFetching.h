#pragma once

#include "foundation/async/CancellationToken.h"
#include "update/policy/VerifiedMinimumVersionPolicy.h"

#include <qcoro/qcorotask.h>

namespace veyra {

// Fetches the minimum-version policy and verifies it. Every fetch is independent; several
// may run at once. Used on the GUI thread.
class MinimumVersionPolicyFetching
{
public:
    virtual ~MinimumVersionPolicyFetching() = default;

    // The verified policy; throws MinimumVersionPolicyError (an implementation may end
    // with CancellationError once `token` is cancelled, where it says so).
    virtual QCoro::Task<VerifiedMinimumVersionPolicy> fetch(CancellationToken token) = 0;
};

} // namespace veyra
