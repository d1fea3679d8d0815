#pragma once

#include "translation/translations/TranslationSettingsStoring.h"

namespace veyra {

class InMemoryTranslationSettingsStore : public TranslationSettingsStoring
{
public:
    explicit InMemoryTranslationSettingsStore(std::optional<QString> code = std::nullopt)
        : m_code(std::move(code))
    { }

    std::optional<QString> targetLanguageCode() const override { return m_code; }
    void setTargetLanguageCode(const std::optional<QString> &code) override { m_code = code; }

private:
    std::optional<QString> m_code;
};

} // namespace veyra
