#pragma once

#include "translation/http/HTTPTransport.h"
#include "translation/http/ServerConfiguration.h"
#include "translation/translations/TranslationProviding.h"

#include <memory>

class QNetworkAccessManager;

namespace veyra {

// Translates through the server's POST v1/app/translations. Holds no state of its own
// besides its configuration and transport; a failed call leaves nothing behind and
// logs nothing (the caller does).
class HTTPTranslationClient : public TranslationProviding
{
public:
    // The transport is the given one; without it, one over the given session; without
    // either, one over a session of the client's own.
    explicit HTTPTranslationClient(ServerConfiguration configuration,
        std::shared_ptr<QNetworkAccessManager> session = nullptr, std::shared_ptr<HTTPTransport> transport = nullptr);

    // Throws TranslationClientError (invalidSourceText before anything is sent,
    // unexpectedStatusCode for any status but 200, emptyTranslation), a transport error
    // unchanged, or DecodingError for a body that is not a translation.
    QCoro::Task<TranslationResponse> translate(QString text, std::optional<QString> gameTitle,
        TranslationTargetLanguage targetLanguage, CancellationToken token) override;

    const ServerConfiguration &configuration() const { return m_configuration; }
    const std::shared_ptr<HTTPTransport> &transport() const { return m_transport; }

private:
    const ServerConfiguration m_configuration;
    const std::shared_ptr<HTTPTransport> m_transport;
};

} // namespace veyra
