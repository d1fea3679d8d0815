#include "update/policy/MinimumVersionPolicyError.h"

namespace veyra {

MinimumVersionPolicyError::MinimumVersionPolicyError(Kind kind)
    : Error(caseName(kind))
    , m_kind(kind)
{ }

QString MinimumVersionPolicyError::caseName(Kind kind)
{
    switch (kind) {
    case Kind::invalidConfiguration:
        return QStringLiteral("invalidConfiguration");
    case Kind::downloadFailed:
        return QStringLiteral("downloadFailed");
    case Kind::invalidSignature:
        return QStringLiteral("invalidSignature");
    case Kind::invalidJSON:
        return QStringLiteral("invalidJSON");
    case Kind::unsupportedSchema:
        return QStringLiteral("unsupportedSchema");
    case Kind::invalidPolicy:
        return QStringLiteral("invalidPolicy");
    case Kind::rolledBackRevision:
        return QStringLiteral("rolledBackRevision");
    case Kind::conflictingRevision:
        break;
    }
    return QStringLiteral("conflictingRevision");
}

} // namespace veyra
