#include "app/session/AppPhase.h"

namespace veyra {

bool AppPhase::isAuthenticationPhase() const
{
    switch (m_kind) {
    case Kind::restoringAuthentication:
    case Kind::signedOut:
    case Kind::authenticating:
    case Kind::webRegistrationRequired:
    case Kind::authenticationUnavailable:
    case Kind::authenticationConfigurationUnavailable:
        return true;
    case Kind::overlay:
    case Kind::checkingPermission:
    case Kind::requestingPermission:
    case Kind::permissionDenied:
    case Kind::choosing:
        return false;
    }
    return false;
}

} // namespace veyra
