#pragma once

#include <QString>

#include <optional>

namespace veyra {

// Where the chosen target language is kept. Nothing stored reads as nullopt; writing
// nullopt removes the stored value.
class TranslationSettingsStoring
{
public:
    virtual ~TranslationSettingsStoring() = default;
    virtual std::optional<QString> targetLanguageCode() const = 0;
    virtual void setTargetLanguageCode(const std::optional<QString> &code) = 0;
};

} // namespace veyra
