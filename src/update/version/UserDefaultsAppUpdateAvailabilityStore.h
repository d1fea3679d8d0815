#pragma once

#include "update/version/AppUpdateAvailabilityStoring.h"

#include <QString>

namespace veyra {

class UserDefaults;

// Keeps the available update as JSON bytes under the user-defaults key
// "available_app_update". A stored value that does not decode loads as nothing and stays
// stored until the next save or clear.
class UserDefaultsAppUpdateAvailabilityStore : public AppUpdateAvailabilityStoring
{
public:
    static inline const QString key = QStringLiteral("available_app_update");

    explicit UserDefaultsAppUpdateAvailabilityStore(UserDefaults &defaults);

    std::optional<AvailableAppUpdate> load() const override;
    void save(const AvailableAppUpdate &update) override;
    void clear() override;

private:
    UserDefaults &m_defaults;
};

} // namespace veyra
