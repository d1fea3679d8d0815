#include "translation/titles/GameTitleClientError.h"

namespace veyra {

namespace {
QString messageFor(GameTitleClientError::Kind kind, int statusCode)
{
    switch (kind) {
    case GameTitleClientError::Kind::unexpectedStatusCode:
        return QStringLiteral("The game-title server returned HTTP status %1.").arg(statusCode);
    case GameTitleClientError::Kind::invalidConfiguration:
        return QStringLiteral("The game-title server configuration is invalid.");
    case GameTitleClientError::Kind::invalidMetadata:
        return QStringLiteral("The selected window metadata cannot be resolved.");
    case GameTitleClientError::Kind::invalidResponse:
        break;
    }
    return QStringLiteral("The game-title server returned an invalid response.");
}
} // namespace

GameTitleClientError::GameTitleClientError(Kind kind)
    : GameTitleClientError(kind, 0)
{ }

GameTitleClientError::GameTitleClientError(Kind kind, int statusCode)
    : Error(messageFor(kind, statusCode))
    , m_kind(kind)
    , m_statusCode(statusCode)
{ }

GameTitleClientError GameTitleClientError::unexpectedStatusCode(int statusCode)
{
    return GameTitleClientError(Kind::unexpectedStatusCode, statusCode);
}

} // namespace veyra
