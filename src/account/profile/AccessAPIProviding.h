#pragma once

#include "account/profile/CurrentUser.h"
#include "foundation/async/CancellationToken.h"

#include <qcoro/qcorotask.h>

namespace veyra {

// The account server's client: the signed-in user's profile.
class AccessAPIProviding
{
public:
    virtual ~AccessAPIProviding() = default;

    // Throws AccessClientError, the transport's errors unchanged (noSession when nobody is
    // signed in), or CancellationError.
    virtual QCoro::Task<CurrentUser> fetchCurrentUser(CancellationToken token) = 0;
};

} // namespace veyra
