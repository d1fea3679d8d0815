#include "translation/translations/UnavailableTranslationProvider.h"

#include "translation/translations/TranslationClientError.h"

namespace veyra {

QCoro::Task<TranslationResponse> UnavailableTranslationProvider::translate(
    QString text, std::optional<QString> gameTitle, TranslationTargetLanguage targetLanguage, CancellationToken token)
{
    Q_UNUSED(text);
    Q_UNUSED(gameTitle);
    Q_UNUSED(targetLanguage);
    Q_UNUSED(token);
    throw TranslationClientError(TranslationClientError::Kind::invalidConfiguration);
    co_return TranslationResponse{};
}

} // namespace veyra
