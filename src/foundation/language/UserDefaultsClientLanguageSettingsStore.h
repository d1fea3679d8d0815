#pragma once

#include "foundation/language/ClientLanguageSettingsStoring.h"

namespace veyra {

class UserDefaults;

// Keeps the language code under the user-defaults key "client_language".
class UserDefaultsClientLanguageSettingsStore : public ClientLanguageSettingsStoring
{
public:
    static inline const QString key = QStringLiteral("client_language");

    explicit UserDefaultsClientLanguageSettingsStore(UserDefaults &defaults);

    std::optional<QString> languageCode() const override;
    void setLanguageCode(const std::optional<QString> &code) override;

private:
    UserDefaults &m_defaults;
};

} // namespace veyra
