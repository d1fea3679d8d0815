#include "translation/translations/TranslationSettingsModel.h"

#include "foundation/language/ClientLanguage.h"
#include "translation/translations/InMemoryTranslationSettingsStore.h"
#include "translation/translations/UserDefaultsTranslationSettingsStore.h"

namespace veyra {

TranslationSettingsModel::TranslationSettingsModel(
    std::unique_ptr<TranslationSettingsStoring> store, const QStringList &preferredLanguages, QObject *parent)
    : QObject(parent)
    , m_store(std::move(store))
    , m_defaultLanguage(defaultTranslationTargetLanguage(preferredLanguages))
    , m_targetLanguage(m_defaultLanguage)
{
    const std::optional<QString> stored = m_store->targetLanguageCode();
    if (!stored) {
        return;
    }
    if (const auto language = translationTargetLanguageFromRawValue(*stored)) {
        m_targetLanguage = *language;
    } else {
        m_store->setTargetLanguageCode(rawValue(m_defaultLanguage));
    }
}

void TranslationSettingsModel::setTargetLanguage(TranslationTargetLanguage language)
{
    if (language == m_targetLanguage) {
        return;
    }
    m_targetLanguage = language;
    Q_EMIT targetLanguageChanged(m_targetLanguage);
    m_store->setTargetLanguageCode(rawValue(language));
}

void TranslationSettingsModel::resetToDefault()
{
    m_store->setTargetLanguageCode(std::nullopt);
    m_targetLanguage = m_defaultLanguage;
    Q_EMIT targetLanguageChanged(m_targetLanguage);
}

std::unique_ptr<TranslationSettingsModel> makeTranslationSettingsModel(bool isUITesting, UserDefaults &defaults)
{
    if (isUITesting) {
        return std::make_unique<TranslationSettingsModel>(
            std::make_unique<InMemoryTranslationSettingsStore>(), QStringList{QStringLiteral("en-US")});
    }
    return std::make_unique<TranslationSettingsModel>(
        std::make_unique<UserDefaultsTranslationSettingsStore>(defaults), systemPreferredLanguages());
}

} // namespace veyra
