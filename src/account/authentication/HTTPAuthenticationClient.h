#pragma once

#include "account/authentication/AuthenticationAPIProviding.h"
#include "translation/http/HTTPTransport.h"
#include "translation/http/ServerConfiguration.h"

#include <memory>

namespace veyra {

// Speaks the three authentication endpoints of the server: POST v1/app/auth/google/login,
// v1/app/auth/refresh and v1/app/auth/logout, each a JSON body of one member. It sends over
// a plain transport of its own (never the authorised session), so none of its requests
// carries an "Authorization" header.
//
// Failures: a transport failure is network; a status the call does not accept is
// rejected(status), except 503 (unavailable) and, for login, a 403 whose error code is
// "web_registration_required" (webRegistrationRequired); a 200 answer that is not a
// usable pair is invalidResponse.
class HTTPAuthenticationClient : public AuthenticationAPIProviding
{
public:
    // Without a transport the client makes one over an ephemeral session of its own (no
    // cache, no stored cookies or credentials, the transport's time-outs and redirect rule).
    explicit HTTPAuthenticationClient(
        ServerConfiguration configuration, std::shared_ptr<HTTPTransport> transport = nullptr);

    QCoro::Task<AuthTokenPair> login(QString idToken, CancellationToken token) override;
    QCoro::Task<AuthTokenPair> refresh(QString refreshToken, CancellationToken token) override;
    QCoro::Task<void> logout(QString refreshToken, CancellationToken token) override;

    const ServerConfiguration &configuration() const { return m_configuration; }
    const std::shared_ptr<HTTPTransport> &transport() const { return m_transport; }

private:
    QCoro::Task<HTTPResponse> post(QStringList path, QString bodyKey, QString value, CancellationToken token);
    QCoro::Task<AuthTokenPair> requestPair(
        QStringList path, QString bodyKey, QString value, bool isLogin, CancellationToken token);

    const ServerConfiguration m_configuration;
    const std::shared_ptr<HTTPTransport> m_transport;
};

} // namespace veyra
