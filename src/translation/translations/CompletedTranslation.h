#pragma once

#include "translation/translations/TranslationTargetLanguage.h"

#include <QString>
#include <QUuid>

#include <optional>

namespace veyra {

// One finished translation of a capture area's text.
struct CompletedTranslation
{
    // The server's identifier of this translation, which an error report refers to.
    std::optional<QUuid> translationID;
    // The normalised text of the request (not the server's echo of it).
    QString sourceText;
    // The cleaned translated text; never empty.
    QString translatedText;
    std::optional<QString> gameTitle;
    // The target language of the request (not the server's echo of it).
    TranslationTargetLanguage targetLanguage = TranslationTargetLanguage::english;

    bool operator==(const CompletedTranslation &) const = default;
};

} // namespace veyra
