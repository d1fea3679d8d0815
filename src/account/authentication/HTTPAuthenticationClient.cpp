#include "account/authentication/HTTPAuthenticationClient.h"

#include "account/authentication/AuthenticationClientError.h"
#include "foundation/json/JsonDecoding.h"
#include "translation/http/HTTPTransportError.h"
#include "translation/http/QtNetworkHTTPTransport.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace veyra {

namespace {

const QString refreshTokenKey = QStringLiteral("refresh_token");

// A pair the rest of the system can use: a bearer pair with both tokens and a lifetime.
// The access token also has to be fit for a header, or every later request would fail.
bool isAcceptable(const AuthTokenPair &pair)
{
    return pair.tokenType.toLower() == QLatin1String("bearer") && !pair.accessToken.isEmpty()
        && !pair.refreshToken.isEmpty() && pair.expiresIn >= 1 && isUsableBearerToken(pair.accessToken);
}

// True for the server's refusal of a login whose Google account has no web registration.
bool isWebRegistrationRefusal(const QByteArray &body)
{
    try {
        const QJsonObject detail = requireObject(decodeJsonObject(body), QStringLiteral("detail"));
        const QString code = requireString(detail, QStringLiteral("code"));
        requireString(detail, QStringLiteral("message"));
        return code == QLatin1String("web_registration_required");
    } catch (const DecodingError &) {
        return false;
    }
}

// The error of any status a call does not accept.
AuthenticationClientError statusError(int status)
{
    if (status == 503) {
        return AuthenticationClientError(AuthenticationClientError::Kind::unavailable);
    }
    return AuthenticationClientError::rejected(status);
}

} // namespace

HTTPAuthenticationClient::HTTPAuthenticationClient(
    ServerConfiguration configuration, std::shared_ptr<HTTPTransport> transport)
    : m_configuration(std::move(configuration))
    , m_transport(chooseHTTPTransport(std::move(transport), nullptr))
{ }

QCoro::Task<AuthTokenPair> HTTPAuthenticationClient::login(QString idToken, CancellationToken token)
{
    QStringList path{QStringLiteral("v1"), QStringLiteral("app"), QStringLiteral("auth"), QStringLiteral("google"),
        QStringLiteral("login")};
    co_return co_await requestPair(
        std::move(path), QStringLiteral("id_token"), std::move(idToken), true, std::move(token));
}

QCoro::Task<AuthTokenPair> HTTPAuthenticationClient::refresh(QString refreshToken, CancellationToken token)
{
    QStringList path{QStringLiteral("v1"), QStringLiteral("app"), QStringLiteral("auth"), QStringLiteral("refresh")};
    co_return co_await requestPair(std::move(path), refreshTokenKey, std::move(refreshToken), false, std::move(token));
}

QCoro::Task<void> HTTPAuthenticationClient::logout(QString refreshToken, CancellationToken token)
{
    QStringList path{QStringLiteral("v1"), QStringLiteral("app"), QStringLiteral("auth"), QStringLiteral("logout")};
    const HTTPResponse response
        = co_await post(std::move(path), refreshTokenKey, std::move(refreshToken), std::move(token));
    if (!response.statusCode) {
        throw AuthenticationClientError(AuthenticationClientError::Kind::invalidResponse);
    }
    if (*response.statusCode != 204) {
        throw statusError(*response.statusCode);
    }
}

QCoro::Task<AuthTokenPair> HTTPAuthenticationClient::requestPair(
    QStringList path, QString bodyKey, QString value, bool isLogin, CancellationToken token)
{
    const HTTPResponse response
        = co_await post(std::move(path), std::move(bodyKey), std::move(value), std::move(token));
    if (!response.statusCode) {
        throw AuthenticationClientError(AuthenticationClientError::Kind::invalidResponse);
    }
    const int status = *response.statusCode;
    if (status == 200) {
        AuthTokenPair pair;
        try {
            pair = AuthTokenPair::fromJson(response.body);
        } catch (const DecodingError &) {
            throw AuthenticationClientError(AuthenticationClientError::Kind::invalidResponse);
        }
        if (!isAcceptable(pair)) {
            throw AuthenticationClientError(AuthenticationClientError::Kind::invalidResponse);
        }
        co_return pair;
    }
    if (isLogin && status == 403 && isWebRegistrationRefusal(response.body)) {
        throw AuthenticationClientError(AuthenticationClientError::Kind::webRegistrationRequired);
    }
    throw statusError(status);
}

QCoro::Task<HTTPResponse> HTTPAuthenticationClient::post(
    QStringList path, QString bodyKey, QString value, CancellationToken token)
{
    HTTPRequest request;
    request.method = "POST";
    request.url = m_configuration.endpointURL(path);
    request.headers.set("Accept", "application/json");
    request.headers.set("Content-Type", "application/json");
    request.body = QJsonDocument(QJsonObject{{bodyKey, value}}).toJson(QJsonDocument::Compact);
    request.timeout = defaultHTTPRequestTimeout;

    // The transport lives as long as this call: the caller holds the client.
    const std::shared_ptr<HTTPTransport> transport = m_transport;
    try {
        co_return co_await transport->data(std::move(request), std::move(token));
    } catch (const HTTPTransportError &) {
        throw AuthenticationClientError(AuthenticationClientError::Kind::network);
    }
}

} // namespace veyra
