#include "account/configuration/GoogleSignInError.h"

#include "foundation/language/LocalizedString.h"

namespace veyra {

namespace {
QString messageFor(GoogleSignInError::Kind kind)
{
    if (kind == GoogleSignInError::Kind::cancelled) {
        return {};
    }
    return QString::fromUtf8(QT_TRANSLATE_NOOP("Veyra", "Google sign-in couldn't be completed. Try again."));
}
} // namespace

GoogleSignInError::GoogleSignInError(Kind kind)
    : LocalizedError(messageFor(kind))
    , m_kind(kind)
{ }

} // namespace veyra
