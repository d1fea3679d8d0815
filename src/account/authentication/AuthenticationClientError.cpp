#include "account/authentication/AuthenticationClientError.h"

#include "foundation/language/LocalizedString.h"

namespace veyra {

namespace {
const char *messageFor(AuthenticationClientError::Kind kind)
{
    switch (kind) {
    case AuthenticationClientError::Kind::rejected:
        return QT_TRANSLATE_NOOP("Veyra", "Authentication was rejected. Please sign in again.");
    case AuthenticationClientError::Kind::keychain:
        return QT_TRANSLATE_NOOP("Veyra", "The saved session couldn't be accessed.");
    case AuthenticationClientError::Kind::invalidConfiguration:
        return QT_TRANSLATE_NOOP("Veyra", "Google authentication isn't configured for this build.");
    case AuthenticationClientError::Kind::invalidResponse:
        return QT_TRANSLATE_NOOP("Veyra", "The authentication server returned an invalid response.");
    case AuthenticationClientError::Kind::webRegistrationRequired:
        return QT_TRANSLATE_NOOP("Veyra", "Web registration is required before signing in to the app.");
    case AuthenticationClientError::Kind::unavailable:
    case AuthenticationClientError::Kind::network:
        return QT_TRANSLATE_NOOP("Veyra", "Authentication is temporarily unavailable. Try again.");
    case AuthenticationClientError::Kind::noSession:
        break;
    }
    return QT_TRANSLATE_NOOP("Veyra", "No saved session is available.");
}
} // namespace

AuthenticationClientError::AuthenticationClientError(Kind kind)
    : AuthenticationClientError(kind, 0)
{ }

AuthenticationClientError::AuthenticationClientError(Kind kind, qint32 status)
    : LocalizedError(QString::fromUtf8(messageFor(kind)))
    , m_kind(kind)
    , m_status(status)
{ }

AuthenticationClientError AuthenticationClientError::rejected(int statusCode)
{
    return AuthenticationClientError(Kind::rejected, statusCode);
}

AuthenticationClientError AuthenticationClientError::keychain(qint32 status)
{
    return AuthenticationClientError(Kind::keychain, status);
}

} // namespace veyra
