#pragma once

#include "account/profile/AccessAPIProviding.h"
#include "translation/http/HTTPTransport.h"
#include "translation/http/ServerConfiguration.h"

#include <memory>

namespace veyra {

// Fetches the profile with GET v1/me through the authorised transport (which adds the
// bearer token and answers a 401 itself). A 2xx answer must be a profile (else
// invalidResponse); any other status is AccessClientError::server with the server's error
// envelope, or "unexpected_error" and "The access server returned HTTP status <n>.".
class HTTPAccessClient : public AccessAPIProviding
{
public:
    HTTPAccessClient(ServerConfiguration configuration, std::shared_ptr<HTTPTransport> transport);

    QCoro::Task<CurrentUser> fetchCurrentUser(CancellationToken token) override;

    const ServerConfiguration &configuration() const { return m_configuration; }
    const std::shared_ptr<HTTPTransport> &transport() const { return m_transport; }

private:
    const ServerConfiguration m_configuration;
    const std::shared_ptr<HTTPTransport> m_transport;
};

} // namespace veyra
