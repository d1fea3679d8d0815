#pragma once

#include "foundation/language/ClientLanguageSettingsStoring.h"

namespace veyra {

class InMemoryClientLanguageSettingsStore : public ClientLanguageSettingsStoring
{
public:
    explicit InMemoryClientLanguageSettingsStore(std::optional<QString> code = std::nullopt)
        : m_code(std::move(code))
    { }

    std::optional<QString> languageCode() const override { return m_code; }
    void setLanguageCode(const std::optional<QString> &code) override { m_code = code; }

private:
    std::optional<QString> m_code;
};

} // namespace veyra
