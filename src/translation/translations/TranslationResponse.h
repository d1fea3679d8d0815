#pragma once

#include "translation/translations/TranslationTargetLanguage.h"

#include <QByteArray>
#include <QString>
#include <QUuid>

#include <optional>

namespace veyra {

// The answer of POST v1/app/translations, and what a translation provider returns.
struct TranslationResponse
{
    std::optional<QUuid> translationID;
    QString sourceText;
    QString translatedText;
    QString sourceLanguage;
    TranslationTargetLanguage targetLanguage = TranslationTargetLanguage::english;
    bool fromCache = false;

    // Decodes a response body. "translation_id" may be absent or null, otherwise a UUID
    // in its standard 36-character form; "source_text", "translated_text",
    // "source_language" (strings), "target_language" ("ko", "ja" or "en") and
    // "from_cache" (a boolean) are required. Other keys are ignored. Throws DecodingError.
    static TranslationResponse fromJson(const QByteArray &json);

    bool operator==(const TranslationResponse &) const = default;
};

} // namespace veyra
