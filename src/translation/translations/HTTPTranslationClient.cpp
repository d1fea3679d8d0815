#include "translation/translations/HTTPTranslationClient.h"

#include "foundation/text/TextNormalization.h"
#include "translation/http/QtNetworkHTTPTransport.h"
#include "translation/translations/TranslationClientError.h"
#include "translation/translations/TranslationRequest.h"
#include "translation/translations/TranslationText.h"

namespace veyra {

HTTPTranslationClient::HTTPTranslationClient(ServerConfiguration configuration,
    std::shared_ptr<QNetworkAccessManager> session, std::shared_ptr<HTTPTransport> transport)
    : m_configuration(std::move(configuration))
    , m_transport(chooseHTTPTransport(std::move(transport), std::move(session)))
{ }

QCoro::Task<TranslationResponse> HTTPTranslationClient::translate(
    QString text, std::optional<QString> gameTitle, TranslationTargetLanguage targetLanguage, CancellationToken token)
{
    const QString sourceText = collapseWhitespace(text);
    if (sourceText.isEmpty() || exceedsTranslationTextLimit(sourceText)) {
        throw TranslationClientError(TranslationClientError::Kind::invalidSourceText);
    }

    HTTPRequest request;
    request.method = "POST";
    request.url
        = m_configuration.endpointURL({QStringLiteral("v1"), QStringLiteral("app"), QStringLiteral("translations")});
    request.headers.set("Accept", "application/json");
    request.headers.set("Content-Type", "application/json");
    request.body = TranslationRequest{sourceText, gameTitle, targetLanguage}.toJson();
    request.timeout = defaultHTTPRequestTimeout;

    // The transport lives as long as this call: the caller holds the client.
    const std::shared_ptr<HTTPTransport> transport = m_transport;
    const HTTPResponse response = co_await transport->data(std::move(request), token);

    if (!response.statusCode) {
        throw TranslationClientError(TranslationClientError::Kind::invalidResponse);
    }
    if (*response.statusCode != 200) {
        throw TranslationClientError::unexpectedStatusCode(*response.statusCode);
    }
    TranslationResponse translation = TranslationResponse::fromJson(response.body);
    translation.translatedText = cleanTranslatedText(translation.translatedText);
    if (translation.translatedText.isEmpty()) {
        throw TranslationClientError(TranslationClientError::Kind::emptyTranslation);
    }
    translation.sourceText = collapseWhitespace(translation.sourceText);
    co_return translation;
}

} // namespace veyra
