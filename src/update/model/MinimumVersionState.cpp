#include "update/model/MinimumVersionState.h"

namespace veyra {

QString MinimumVersionState::caseName() const
{
    switch (m_case) {
    case Case::checking:
        return QStringLiteral("checking");
    case Case::allowed:
        return QStringLiteral("allowed");
    case Case::checkFailed:
        return QStringLiteral("checkFailed");
    case Case::required:
        return QStringLiteral("required");
    case Case::installFailed:
        break;
    }
    return QStringLiteral("installFailed");
}

} // namespace veyra
