#include "update/policy/UserDefaultsMinimumVersionPolicyStore.h"

#include "foundation/errors/Error.h"
#include "foundation/settings/UserDefaults.h"

namespace veyra {

UserDefaultsMinimumVersionPolicyStore::UserDefaultsMinimumVersionPolicyStore(UserDefaults &defaults)
    : m_defaults(defaults)
{ }

std::optional<AcceptedMinimumVersionPolicy> UserDefaultsMinimumVersionPolicyStore::load() const
{
    const std::optional<QByteArray> data = m_defaults.data(key);
    if (!data) {
        return std::nullopt;
    }
    try {
        return AcceptedMinimumVersionPolicy::fromJson(*data);
    } catch (const Error &) {
        return std::nullopt;
    }
}

void UserDefaultsMinimumVersionPolicyStore::save(const AcceptedMinimumVersionPolicy &policy)
{
    m_defaults.setValue(key, policy.toJson());
}

} // namespace veyra
