#include "update/version/UserDefaultsAppUpdateAvailabilityStore.h"

#include "foundation/errors/Error.h"
#include "foundation/settings/UserDefaults.h"

namespace veyra {

UserDefaultsAppUpdateAvailabilityStore::UserDefaultsAppUpdateAvailabilityStore(UserDefaults &defaults)
    : m_defaults(defaults)
{ }

std::optional<AvailableAppUpdate> UserDefaultsAppUpdateAvailabilityStore::load() const
{
    const std::optional<QByteArray> data = m_defaults.data(key);
    if (!data) {
        return std::nullopt;
    }
    try {
        return AvailableAppUpdate::fromJson(*data);
    } catch (const Error &) {
        return std::nullopt;
    }
}

void UserDefaultsAppUpdateAvailabilityStore::save(const AvailableAppUpdate &update)
{
    m_defaults.setValue(key, update.toJson());
}

void UserDefaultsAppUpdateAvailabilityStore::clear()
{
    m_defaults.remove(key);
}

} // namespace veyra
