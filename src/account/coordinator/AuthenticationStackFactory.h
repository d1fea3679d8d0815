#pragma once

#include "account/google/GoogleIDTokenProviding.h"
#include "account/session/AuthenticationEventRouter.h"
#include "account/session/ServerAuthenticationSession.h"
#include "foundation/identity/AppIdentity.h"

#include <memory>

namespace veyra {

// What the composition root holds of the authentication layer.
struct AuthenticationStack
{
    std::shared_ptr<ServerAuthenticationSession> session;
    std::shared_ptr<GoogleIDTokenProviding> googleProvider;
    std::shared_ptr<AuthenticationEventRouter> eventRouter;
};

// Builds the stack once at start-up; never fails.
// - UI-testing mode: an in-memory refresh-token store holding "mock-renew-value-bbbb" (empty
//   when web registration is required, so that the run starts signed out), the fixture API,
//   a configured session and the fixture Google provider.
// - Live: the wire client when "TranslationServerBaseURL" is valid (else the fixture API
//   without web registration); the keyring store under "<bundle identifier>.authentication"
//   and "server-refresh-token"; a session configured only when the Google sign-in settings
//   pass their validity test; the browser sign-in provider then, the unavailable one
//   otherwise. Configuration errors are dropped.
AuthenticationStack makeAuthenticationStack(const InfoDictionary &info, bool isUITesting, bool requiresWebRegistration);

// The keyring names of the refresh token for a bundle identifier.
QString refreshTokenKeychainService(const QString &bundleIdentifier);
inline const QString refreshTokenKeychainAccount = QStringLiteral("server-refresh-token");

} // namespace veyra
