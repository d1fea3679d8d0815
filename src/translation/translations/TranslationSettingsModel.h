#pragma once

#include "translation/translations/TranslationSettingsStoring.h"
#include "translation/translations/TranslationTargetLanguage.h"

#include <QObject>
#include <QStringList>

#include <memory>

namespace veyra {

class UserDefaults;

// The chosen target language of every translation, for the whole process. Until the
// user chooses, it follows the preferred languages; a stored code this build does not
// know is replaced by the default at creation.
class TranslationSettingsModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString targetLanguageCode READ targetLanguageCode NOTIFY targetLanguageChanged)

public:
    TranslationSettingsModel(std::unique_ptr<TranslationSettingsStoring> store, const QStringList &preferredLanguages,
        QObject *parent = nullptr);

    TranslationTargetLanguage targetLanguage() const { return m_targetLanguage; }
    QString targetLanguageCode() const { return rawValue(m_targetLanguage); }
    TranslationTargetLanguage defaultLanguage() const { return m_defaultLanguage; }
    const TranslationSettingsStoring &store() const { return *m_store; }

    // Choosing the current language again changes and writes nothing.
    void setTargetLanguage(TranslationTargetLanguage language);
    // Forgets the choice (the stored code is removed) and follows the default again.
    void resetToDefault();

Q_SIGNALS:
    void targetLanguageChanged(veyra::TranslationTargetLanguage language);

private:
    std::unique_ptr<TranslationSettingsStoring> m_store;
    TranslationTargetLanguage m_defaultLanguage;
    TranslationTargetLanguage m_targetLanguage;
};

// The model of the running application: in fixture mode an in-memory store and the
// preferred language "en-US", so that UI tests translate into English with nothing
// stored; otherwise the user defaults and the system's preferred languages.
std::unique_ptr<TranslationSettingsModel> makeTranslationSettingsModel(bool isUITesting, UserDefaults &defaults);

} // namespace veyra
