#include "foundation/language/ClientLanguageSettingsModel.h"

#include "foundation/language/InMemoryClientLanguageSettingsStore.h"
#include "foundation/language/InterfaceLanguageChange.h"
#include "foundation/language/UserDefaultsClientLanguageSettingsStore.h"

namespace veyra {

ClientLanguageSettingsModel::ClientLanguageSettingsModel(
    std::unique_ptr<ClientLanguageSettingsStoring> store, const QStringList &preferredLanguages, QObject *parent)
    : QObject(parent)
    , m_store(std::move(store))
    , m_defaultLanguage(defaultClientLanguage(preferredLanguages))
    , m_language(m_defaultLanguage)
{
    const std::optional<QString> stored = m_store->languageCode();
    if (stored) {
        if (const auto language = clientLanguageFromRawValue(*stored)) {
            m_language = *language;
        } else {
            // Repair a code this build does not know.
            m_store->setLanguageCode(rawValue(m_defaultLanguage));
        }
    }
    setCurrentClientLanguage(m_language);
}

std::unique_ptr<ClientLanguageSettingsModel> ClientLanguageSettingsModel::make(bool isUITesting, UserDefaults &defaults)
{
    if (isUITesting) {
        return std::make_unique<ClientLanguageSettingsModel>(
            std::make_unique<InMemoryClientLanguageSettingsStore>(), QStringList{QStringLiteral("en-US")});
    }
    return std::make_unique<ClientLanguageSettingsModel>(
        std::make_unique<UserDefaultsClientLanguageSettingsStore>(defaults), systemPreferredLanguages());
}

void ClientLanguageSettingsModel::setLanguage(ClientLanguage language)
{
    if (language == m_language) {
        return;
    }
    // The process-wide value changes first, so that every text fetched by a view
    // redrawing for the signal is already in the new language.
    setCurrentClientLanguage(language);
    m_language = language;
    Q_EMIT languageChanged(m_language);
    announceInterfaceLanguageChange();
    m_store->setLanguageCode(rawValue(language));
}

void ClientLanguageSettingsModel::resetToDefault()
{
    m_store->setLanguageCode(std::nullopt);
    setCurrentClientLanguage(m_defaultLanguage);
    m_language = m_defaultLanguage;
    Q_EMIT languageChanged(m_language);
    announceInterfaceLanguageChange();
}

} // namespace veyra
