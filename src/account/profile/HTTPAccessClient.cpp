#include "account/profile/HTTPAccessClient.h"

#include "account/profile/AccessClientError.h"
#include "foundation/json/JsonDecoding.h"

namespace veyra {

namespace {

AccessClientError serverError(int status, const QByteArray &body)
{
    try {
        const QJsonObject detail = requireObject(decodeJsonObject(body), QStringLiteral("detail"));
        return AccessClientError::server(
            status, requireString(detail, QStringLiteral("code")), requireString(detail, QStringLiteral("message")));
    } catch (const DecodingError &) {
        return AccessClientError::server(status, QStringLiteral("unexpected_error"),
            QStringLiteral("The access server returned HTTP status %1.").arg(status));
    }
}

} // namespace

HTTPAccessClient::HTTPAccessClient(ServerConfiguration configuration, std::shared_ptr<HTTPTransport> transport)
    : m_configuration(std::move(configuration))
    , m_transport(std::move(transport))
{ }

QCoro::Task<CurrentUser> HTTPAccessClient::fetchCurrentUser(CancellationToken token)
{
    HTTPRequest request;
    request.method = "GET";
    request.url = m_configuration.endpointURL({QStringLiteral("v1"), QStringLiteral("me")});
    request.headers.set("Accept", "application/json");
    request.timeout = defaultHTTPRequestTimeout;

    // The transport lives as long as this call: the caller holds the client.
    const std::shared_ptr<HTTPTransport> transport = m_transport;
    const HTTPResponse response = co_await transport->data(std::move(request), std::move(token));
    if (!response.statusCode) {
        throw AccessClientError(AccessClientError::Kind::invalidResponse);
    }
    const int status = *response.statusCode;
    if (status < 200 || status > 299) {
        throw serverError(status, response.body);
    }
    try {
        co_return CurrentUser::fromJson(response.body);
    } catch (const DecodingError &) {
        throw AccessClientError(AccessClientError::Kind::invalidResponse);
    }
}

} // namespace veyra
