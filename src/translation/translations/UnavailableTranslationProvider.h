#pragma once

#include "translation/translations/TranslationProviding.h"

namespace veyra {

// The provider of an application without a valid server base URL: every translation
// fails with TranslationClientError::invalidConfiguration.
class UnavailableTranslationProvider : public TranslationProviding
{
public:
    QCoro::Task<TranslationResponse> translate(QString text, std::optional<QString> gameTitle,
        TranslationTargetLanguage targetLanguage, CancellationToken token) override;
};

} // namespace veyra
