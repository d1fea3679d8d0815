#pragma once

#include "foundation/errors/Error.h"

namespace veyra {

// The failure of the account profile fetch.
class AccessClientError : public LocalizedError
{
public:
    enum class Kind {
        // The server answered a status outside 200-299; the code and message are its own
        // (or "unexpected_error" and a message naming the status).
        server,
        // No server is configured.
        invalidConfiguration,
        // The answer was not a profile.
        invalidResponse,
    };

    explicit AccessClientError(Kind kind);
    static AccessClientError server(int statusCode, QString code, QString message);

    Kind kind() const { return m_kind; }
    int statusCode() const { return m_statusCode; }
    const QString &code() const { return m_code; }

    // The server's own message for server; the looked-up fixed text otherwise.
    QString localizedDescription() const override;

    bool operator==(const AccessClientError &other) const
    {
        return m_kind == other.m_kind && m_statusCode == other.m_statusCode && m_code == other.m_code
            && message() == other.message();
    }

private:
    AccessClientError(Kind kind, int statusCode, QString code, QString message);

    Kind m_kind;
    int m_statusCode = 0;
    QString m_code;
};

} // namespace veyra
