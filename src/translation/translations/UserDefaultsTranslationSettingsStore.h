#pragma once

#include "translation/translations/TranslationSettingsStoring.h"

namespace veyra {

class UserDefaults;

// Keeps the language code under the user-defaults key "translation_target_language".
class UserDefaultsTranslationSettingsStore : public TranslationSettingsStoring
{
public:
    static inline const QString key = QStringLiteral("translation_target_language");

    explicit UserDefaultsTranslationSettingsStore(UserDefaults &defaults);

    std::optional<QString> targetLanguageCode() const override;
    void setTargetLanguageCode(const std::optional<QString> &code) override;

private:
    UserDefaults &m_defaults;
};

} // namespace veyra
