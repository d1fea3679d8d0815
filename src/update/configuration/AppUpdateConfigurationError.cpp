#include "update/configuration/AppUpdateConfigurationError.h"

namespace veyra {

AppUpdateConfigurationError::AppUpdateConfigurationError(Kind kind)
    : Error(caseName(kind))
    , m_kind(kind)
{ }

QString AppUpdateConfigurationError::caseName(Kind kind)
{
    switch (kind) {
    case Kind::missingFeedURL:
        return QStringLiteral("missingFeedURL");
    case Kind::invalidFeedURL:
        return QStringLiteral("invalidFeedURL");
    case Kind::missingPublicKey:
        return QStringLiteral("missingPublicKey");
    case Kind::invalidPublicKey:
        break;
    }
    return QStringLiteral("invalidPublicKey");
}

} // namespace veyra
