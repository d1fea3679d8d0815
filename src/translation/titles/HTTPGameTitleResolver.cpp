#include "translation/titles/HTTPGameTitleResolver.h"

#include "translation/http/QtNetworkHTTPTransport.h"
#include "translation/titles/GameTitleClientError.h"
#include "translation/titles/GameTitleResolutionRequest.h"
#include "translation/translations/TranslationText.h"

namespace veyra {

HTTPGameTitleResolver::HTTPGameTitleResolver(ServerConfiguration configuration,
    std::shared_ptr<QNetworkAccessManager> session, std::shared_ptr<HTTPTransport> transport)
    : m_configuration(std::move(configuration))
    , m_transport(chooseHTTPTransport(std::move(transport), std::move(session)))
{ }

QCoro::Task<GameTitleResolution> HTTPGameTitleResolver::resolve(
    GameTitleWindowMetadata metadata, CancellationToken token)
{
    const QString text = metadata.jsonText();
    // A cluster holds at least one UTF-16 unit, so a short text needs no walk.
    if (text.isEmpty()
        || (text.size() > maximumMetadataTextLength
            && graphemeCount(text, maximumMetadataTextLength) > maximumMetadataTextLength)) {
        throw GameTitleClientError(GameTitleClientError::Kind::invalidMetadata);
    }

    HTTPRequest request;
    request.method = "POST";
    request.url = m_configuration.endpointURL(
        {QStringLiteral("v1"), QStringLiteral("app"), QStringLiteral("game-titles"), QStringLiteral("resolve")});
    request.headers.set("Accept", "application/json");
    request.headers.set("Content-Type", "application/json");
    request.body = GameTitleResolutionRequest{text}.toJson();
    request.timeout = defaultHTTPRequestTimeout;

    // The transport lives as long as this call: the caller holds the resolver.
    const std::shared_ptr<HTTPTransport> transport = m_transport;
    const HTTPResponse response = co_await transport->data(std::move(request), token);

    if (!response.statusCode) {
        throw GameTitleClientError(GameTitleClientError::Kind::invalidResponse);
    }
    if (*response.statusCode != 200) {
        throw GameTitleClientError::unexpectedStatusCode(*response.statusCode);
    }
    GameTitleResolution resolution = GameTitleResolution::fromJson(response.body);
    if (!resolution.extractedGameName() && resolution.representativeGameName()) {
        throw GameTitleClientError(GameTitleClientError::Kind::invalidResponse);
    }
    co_return resolution;
}

} // namespace veyra
