#include "translation/translations/UserDefaultsTranslationSettingsStore.h"

#include "foundation/settings/UserDefaults.h"

namespace veyra {

UserDefaultsTranslationSettingsStore::UserDefaultsTranslationSettingsStore(UserDefaults &defaults)
    : m_defaults(defaults)
{ }

std::optional<QString> UserDefaultsTranslationSettingsStore::targetLanguageCode() const
{
    return m_defaults.string(key);
}

void UserDefaultsTranslationSettingsStore::setTargetLanguageCode(const std::optional<QString> &code)
{
    if (code) {
        m_defaults.setValue(key, *code);
    } else {
        m_defaults.remove(key);
    }
}

} // namespace veyra
