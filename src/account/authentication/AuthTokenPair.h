#pragma once

#include <QByteArray>
#include <QString>

namespace veyra {

// The server's own token pair for the signed-in user. Only the refresh token outlives the
// process (in the refresh-token store); the access token never leaves memory. Neither is
// ever written to a log.
struct AuthTokenPair
{
    // The bearer token of every other request to the server.
    QString accessToken;
    // Renews the pair and signs out.
    QString refreshToken;
    // Names the bearer scheme, in whatever case the server sent it.
    QString tokenType;
    // Lifetime of the access token in seconds, counted from receipt.
    qint64 expiresIn = 0;
    // Lifetime of the refresh token in seconds; carried, not used.
    qint64 refreshExpiresIn = 0;

    // Decodes the server's JSON answer: every one of "access_token", "refresh_token",
    // "token_type", "expires_in" and "refresh_expires_in" is required with its JSON type;
    // other keys are ignored. Throws DecodingError.
    static AuthTokenPair fromJson(const QByteArray &json);

    bool operator==(const AuthTokenPair &) const = default;
};

// True when a token can go into an "Authorization" header as it is: not empty and only
// visible ASCII characters (no control characters, blanks or other text that would change
// the header's meaning).
bool isUsableBearerToken(const QString &token);

} // namespace veyra
