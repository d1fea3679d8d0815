#pragma once

#include "translation/http/HTTPTransport.h"
#include "translation/http/ServerConfiguration.h"
#include "translation/titles/GameTitleResolving.h"

#include <memory>

class QNetworkAccessManager;

namespace veyra {

// Resolves game titles through the server's POST v1/app/game-titles/resolve. Holds no
// state besides its configuration and transport, and logs nothing (the caller does).
class HTTPGameTitleResolver : public GameTitleResolving
{
public:
    // The longest metadata JSON text, in user-perceived characters, that is sent.
    static constexpr qsizetype maximumMetadataTextLength = 4000;

    // The transport is the given one; without it, one over the given session; without
    // either, one over a session of the resolver's own.
    explicit HTTPGameTitleResolver(ServerConfiguration configuration,
        std::shared_ptr<QNetworkAccessManager> session = nullptr, std::shared_ptr<HTTPTransport> transport = nullptr);

    // Throws GameTitleClientError (invalidMetadata before anything is sent,
    // unexpectedStatusCode for any status but 200, invalidResponse for a representative
    // name without an extracted one), a transport error unchanged, or DecodingError for
    // a body that is not a resolution.
    QCoro::Task<GameTitleResolution> resolve(GameTitleWindowMetadata metadata, CancellationToken token) override;

    const ServerConfiguration &configuration() const { return m_configuration; }
    const std::shared_ptr<HTTPTransport> &transport() const { return m_transport; }

private:
    const ServerConfiguration m_configuration;
    const std::shared_ptr<HTTPTransport> m_transport;
};

} // namespace veyra
