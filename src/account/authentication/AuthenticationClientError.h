#pragma once

#include "foundation/errors/Error.h"

namespace veyra {

// The error of the whole authentication layer. Its messages are shown to the user
// (through localizedString). unavailable and network share one text.
class AuthenticationClientError : public LocalizedError
{
public:
    enum class Kind {
        // The server refused the request with this HTTP status.
        rejected,
        // The keyring refused an operation with this status.
        keychain,
        // Google sign-in is not configured for this build.
        invalidConfiguration,
        // The server's answer (or a stored token) could not be used.
        invalidResponse,
        // The Google account has not registered on the web yet (login only).
        webRegistrationRequired,
        // The server answered 503.
        unavailable,
        // No answer came (network failure, time-out).
        network,
        // Nobody is signed in.
        noSession,
    };

    explicit AuthenticationClientError(Kind kind);
    static AuthenticationClientError rejected(int statusCode);
    static AuthenticationClientError keychain(qint32 status);

    Kind kind() const { return m_kind; }
    // The HTTP status of rejected, the keyring status of keychain, else 0.
    qint32 status() const { return m_status; }

    bool operator==(const AuthenticationClientError &other) const
    {
        return m_kind == other.m_kind && m_status == other.m_status;
    }

private:
    AuthenticationClientError(Kind kind, qint32 status);

    Kind m_kind;
    qint32 m_status = 0;
};

} // namespace veyra
