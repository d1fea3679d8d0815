#pragma once

#include "account/authentication/AuthenticationAPIProviding.h"

namespace veyra {

// The authentication API of UI-testing mode (and of a build without a server URL): login
// answers the fixture pair, or fails with webRegistrationRequired when so built; refresh
// always answers the fixture pair; logout succeeds. Nothing is sent, nothing waits.
class FixtureAuthenticationAPI : public AuthenticationAPIProviding
{
public:
    explicit FixtureAuthenticationAPI(bool requiresWebRegistration = false);

    // Access "mock-pass-value-aaaa", refresh "mock-renew-value-bbbb", bearer, one hour,
    // refresh token valid for thirty days.
    static AuthTokenPair fixtureTokenPair();

    bool requiresWebRegistration() const { return m_requiresWebRegistration; }

    QCoro::Task<AuthTokenPair> login(QString idToken, CancellationToken token) override;
    QCoro::Task<AuthTokenPair> refresh(QString refreshToken, CancellationToken token) override;
    QCoro::Task<void> logout(QString refreshToken, CancellationToken token) override;

private:
    bool m_requiresWebRegistration;
};

} // namespace veyra
