#pragma once

#include "foundation/errors/Error.h"

namespace veyra {

// Failures of a game-title resolver. The messages are fixed English texts for the log.
class GameTitleClientError : public Error
{
public:
    enum class Kind {
        unexpectedStatusCode,
        invalidConfiguration,
        invalidMetadata,
        invalidResponse,
    };

    explicit GameTitleClientError(Kind kind);
    // unexpectedStatusCode with the status the server answered.
    static GameTitleClientError unexpectedStatusCode(int statusCode);

    Kind kind() const { return m_kind; }
    int statusCode() const { return m_statusCode; }

    bool operator==(const GameTitleClientError &other) const
    {
        return m_kind == other.m_kind && m_statusCode == other.m_statusCode;
    }

private:
    GameTitleClientError(Kind kind, int statusCode);

    Kind m_kind;
    int m_statusCode = 0;
};

} // namespace veyra
