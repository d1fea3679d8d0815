#include "account/profile/AccessCoordinator.h"

#include "account/profile/AccessClientError.h"
#include "account/profile/FixtureAccessAPI.h"
#include "account/profile/HTTPAccessClient.h"
#include "account/profile/UnavailableAccessAPI.h"

namespace veyra {

AccessCoordinator::AccessCoordinator(std::shared_ptr<AccessAPIProviding> api, QObject *parent)
    : QObject(parent)
    , m_api(std::move(api))
{ }

QCoro::Task<CurrentUser> AccessCoordinator::fetchCurrentUser(CancellationToken token)
{
    const std::shared_ptr<AccessAPIProviding> api = m_api;
    if (!api) {
        throw AccessClientError(AccessClientError::Kind::invalidConfiguration);
    }
    co_return co_await api->fetchCurrentUser(std::move(token));
}

std::shared_ptr<AccessAPIProviding> makeAccessAPI(
    const InfoDictionary &info, bool isUITesting, std::shared_ptr<HTTPTransport> authorisedTransport)
{
    if (isUITesting) {
        return std::make_shared<FixtureAccessAPI>();
    }
    try {
        return std::make_shared<HTTPAccessClient>(
            ServerConfiguration(info, QStringLiteral("TranslationServerBaseURL")), std::move(authorisedTransport));
    } catch (const ServerConfigurationError &) {
        return std::make_shared<UnavailableAccessAPI>();
    }
}

} // namespace veyra
