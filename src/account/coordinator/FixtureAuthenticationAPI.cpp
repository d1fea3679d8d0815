#include "account/coordinator/FixtureAuthenticationAPI.h"

#include "account/authentication/AuthenticationClientError.h"

namespace veyra {

FixtureAuthenticationAPI::FixtureAuthenticationAPI(bool requiresWebRegistration)
    : m_requiresWebRegistration(requiresWebRegistration)
{ }

AuthTokenPair FixtureAuthenticationAPI::fixtureTokenPair()
{
    return AuthTokenPair{QStringLiteral("mock-pass-value-aaaa"), QStringLiteral("mock-renew-value-bbbb"),
        QStringLiteral("bearer"), 3600, 2592000};
}

QCoro::Task<AuthTokenPair> FixtureAuthenticationAPI::login(QString idToken, CancellationToken token)
{
    Q_UNUSED(idToken);
    Q_UNUSED(token);
    if (m_requiresWebRegistration) {
        throw AuthenticationClientError(AuthenticationClientError::Kind::webRegistrationRequired);
    }
    co_return fixtureTokenPair();
}

QCoro::Task<AuthTokenPair> FixtureAuthenticationAPI::refresh(QString refreshToken, CancellationToken token)
{
    Q_UNUSED(refreshToken);
    Q_UNUSED(token);
    co_return fixtureTokenPair();
}

QCoro::Task<void> FixtureAuthenticationAPI::logout(QString refreshToken, CancellationToken token)
{
    Q_UNUSED(refreshToken);
    Q_UNUSED(token);
    co_return;
}

} // namespace veyra
