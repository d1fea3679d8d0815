#pragma once

#include "account/profile/AccessAPIProviding.h"
#include "foundation/identity/AppIdentity.h"
#include "translation/http/HTTPTransport.h"

#include <QObject>

#include <memory>

namespace veyra {

// The application session's way to the signed-in user's profile (GUI thread).
class AccessCoordinator : public QObject
{
    Q_OBJECT

public:
    explicit AccessCoordinator(std::shared_ptr<AccessAPIProviding> api, QObject *parent = nullptr);

    const std::shared_ptr<AccessAPIProviding> &api() const { return m_api; }

    // The API's answer or error unchanged; AccessClientError::invalidConfiguration without
    // an API.
    QCoro::Task<CurrentUser> fetchCurrentUser(CancellationToken token = {});

private:
    const std::shared_ptr<AccessAPIProviding> m_api;
};

// The profile API of the process: the fixture in UI-testing mode; otherwise the HTTP
// client over the authorised transport when "TranslationServerBaseURL" is valid, the
// unavailable one when it is not (the error is dropped).
std::shared_ptr<AccessAPIProviding> makeAccessAPI(
    const InfoDictionary &info, bool isUITesting, std::shared_ptr<HTTPTransport> authorisedTransport);

} // namespace veyra
