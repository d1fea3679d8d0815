#pragma once

#include <QString>

#include <optional>

namespace veyra {

// Where the chosen interface language is kept. Nothing stored reads as nullopt;
// writing nullopt removes the stored value.
class ClientLanguageSettingsStoring
{
public:
    virtual ~ClientLanguageSettingsStoring() = default;
    virtual std::optional<QString> languageCode() const = 0;
    virtual void setLanguageCode(const std::optional<QString> &code) = 0;
};

} // namespace veyra
