#include "account/coordinator/AuthenticationStackFactory.h"

#include "account/authentication/HTTPAuthenticationClient.h"
#include "account/configuration/AuthenticationConfiguration.h"
#include "account/coordinator/FixtureAuthenticationAPI.h"
#include "account/google/FixtureGoogleIDTokenProvider.h"
#include "account/google/QtNetworkAuthGoogleIDTokenProvider.h"
#include "account/google/UnavailableGoogleIDTokenProvider.h"
#include "account/tokens/InMemoryRefreshTokenStore.h"
#include "account/tokens/KeychainRefreshTokenStore.h"

namespace veyra {

namespace {

AuthenticationStack makeFixtureStack(bool requiresWebRegistration, std::shared_ptr<AuthenticationEventRouter> router)
{
    auto store = std::make_shared<InMemoryRefreshTokenStore>(requiresWebRegistration
            ? std::nullopt
            : std::optional(FixtureAuthenticationAPI::fixtureTokenPair().refreshToken));
    auto api = std::make_shared<FixtureAuthenticationAPI>(requiresWebRegistration);
    auto session = std::make_shared<ServerAuthenticationSession>(true, std::move(api), std::move(store), router);
    return {std::move(session), std::make_shared<FixtureGoogleIDTokenProvider>(), std::move(router)};
}

AuthenticationStack makeLiveStack(const InfoDictionary &info, std::shared_ptr<AuthenticationEventRouter> router)
{
    std::optional<AuthenticationConfiguration> configuration;
    try {
        configuration = AuthenticationConfiguration::fromInfoDictionary(info);
    } catch (const ServerConfigurationError &) { }
    std::shared_ptr<AuthenticationAPIProviding> api;
    try {
        api = std::make_shared<HTTPAuthenticationClient>(
            ServerConfiguration(info, QStringLiteral("TranslationServerBaseURL")));
    } catch (const ServerConfigurationError &) {
        api = std::make_shared<FixtureAuthenticationAPI>(false);
    }
    const bool isConfigured = configuration && configuration->isGoogleSignInUsable();
    auto store = std::make_shared<KeychainRefreshTokenStore>(
        refreshTokenKeychainService(appBundleIdentity(info).bundleIdentifier), refreshTokenKeychainAccount);
    auto session
        = std::make_shared<ServerAuthenticationSession>(isConfigured, std::move(api), std::move(store), router);
    std::shared_ptr<GoogleIDTokenProviding> provider;
    if (isConfigured) {
        provider = std::make_shared<QtNetworkAuthGoogleIDTokenProvider>(
            GoogleOAuthClient::fromInfoDictionary(info), nullptr, GoogleOAuthEndpoints::fromInfoDictionary(info));
    } else {
        provider = std::make_shared<UnavailableGoogleIDTokenProvider>();
    }
    return {std::move(session), std::move(provider), std::move(router)};
}

} // namespace

QString refreshTokenKeychainService(const QString &bundleIdentifier)
{
    return bundleIdentifier + QStringLiteral(".authentication");
}

AuthenticationStack makeAuthenticationStack(const InfoDictionary &info, bool isUITesting, bool requiresWebRegistration)
{
    auto router = std::make_shared<AuthenticationEventRouter>();
    if (isUITesting) {
        return makeFixtureStack(requiresWebRegistration, std::move(router));
    }
    return makeLiveStack(info, std::move(router));
}

} // namespace veyra
