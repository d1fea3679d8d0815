#pragma once

#include "foundation/async/CancellationToken.h"
#include "translation/translations/TranslationResponse.h"
#include "translation/translations/TranslationTargetLanguage.h"

#include <QString>

#include <qcoro/qcorotask.h>

#include <optional>

namespace veyra {

// Translates one text. Called on the GUI thread; several calls may run at once.
// Throws CancellationError only when the token was cancelled, any other error for a
// failed translation.
class TranslationProviding
{
public:
    virtual ~TranslationProviding() = default;

    virtual QCoro::Task<TranslationResponse> translate(QString text, std::optional<QString> gameTitle,
        TranslationTargetLanguage targetLanguage, CancellationToken token)
        = 0;
};

} // namespace veyra
