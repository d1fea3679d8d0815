#include "account/google/GoogleAuthorizationError.h"

#include "foundation/language/LocalizedString.h"

namespace veyra {

namespace {
const char *messageFor(GoogleAuthorizationError::Kind kind)
{
    switch (kind) {
    case GoogleAuthorizationError::Kind::browserUnavailable:
        return QT_TRANSLATE_NOOP("Veyra", "Veyra couldn't open your web browser for Google sign-in.");
    case GoogleAuthorizationError::Kind::listenerUnavailable:
        return QT_TRANSLATE_NOOP("Veyra", "Veyra couldn't prepare Google sign-in. Try again.");
    case GoogleAuthorizationError::Kind::network:
        return QT_TRANSLATE_NOOP("Veyra", "Veyra couldn't reach Google. Check your connection and try again.");
    case GoogleAuthorizationError::Kind::refused:
        break;
    }
    return QT_TRANSLATE_NOOP("Veyra", "Google refused the sign-in request. Try again later.");
}
} // namespace

GoogleAuthorizationError::GoogleAuthorizationError(Kind kind)
    : LocalizedError(QString::fromUtf8(messageFor(kind)))
    , m_kind(kind)
{ }

} // namespace veyra
