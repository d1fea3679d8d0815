#pragma once

#include "account/authentication/AuthTokenPair.h"
#include "foundation/async/CancellationToken.h"

#include <qcoro/qcorotask.h>

namespace veyra {

// The authentication endpoints of the service's server. Implementations keep no state
// between calls, so calls may run at the same time. Failures are
// AuthenticationClientError values, CancellationError when the token was cancelled.
class AuthenticationAPIProviding
{
public:
    virtual ~AuthenticationAPIProviding() = default;

    // Exchanges a Google ID token for the server's token pair.
    virtual QCoro::Task<AuthTokenPair> login(QString idToken, CancellationToken token) = 0;
    // Exchanges a refresh token for a new pair.
    virtual QCoro::Task<AuthTokenPair> refresh(QString refreshToken, CancellationToken token) = 0;
    // Revokes a refresh token at the server.
    virtual QCoro::Task<void> logout(QString refreshToken, CancellationToken token) = 0;
};

} // namespace veyra
