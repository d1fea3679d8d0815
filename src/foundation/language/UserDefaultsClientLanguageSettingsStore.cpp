#include "foundation/language/UserDefaultsClientLanguageSettingsStore.h"

#include "foundation/settings/UserDefaults.h"

namespace veyra {

UserDefaultsClientLanguageSettingsStore::UserDefaultsClientLanguageSettingsStore(UserDefaults &defaults)
    : m_defaults(defaults)
{ }

std::optional<QString> UserDefaultsClientLanguageSettingsStore::languageCode() const
{
    return m_defaults.string(key);
}

void UserDefaultsClientLanguageSettingsStore::setLanguageCode(const std::optional<QString> &code)
{
    if (code) {
        m_defaults.setValue(key, *code);
    } else {
        m_defaults.remove(key);
    }
}

} // namespace veyra
