#include "editor/guide/UserDefaultsCaptureAreaGuideStore.h"

#include "foundation/settings/UserDefaults.h"

namespace veyra {

UserDefaultsCaptureAreaGuideStore::UserDefaultsCaptureAreaGuideStore(UserDefaults &defaults)
    : m_defaults(defaults)
{ }

std::optional<qint64> UserDefaultsCaptureAreaGuideStore::lastSeenVersion() const
{
    const QVariant value = m_defaults.object(key);
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Double:
    case QMetaType::Bool:
        return m_defaults.integer(key);
    default:
        // Absent, or text, bytes or anything else that is not a number.
        return std::nullopt;
    }
}

void UserDefaultsCaptureAreaGuideStore::setLastSeenVersion(std::optional<qint64> version)
{
    if (version) {
        m_defaults.setValue(key, QVariant::fromValue<qint64>(*version));
    } else {
        m_defaults.remove(key);
    }
}

} // namespace veyra
