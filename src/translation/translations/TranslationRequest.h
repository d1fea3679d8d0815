#pragma once

#include "translation/translations/TranslationTargetLanguage.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace veyra {

// The body of POST v1/app/translations.
struct TranslationRequest
{
    QString text;
    std::optional<QString> gameTitle;
    TranslationTargetLanguage targetLanguage = TranslationTargetLanguage::english;

    // {"text": ..., "game_title": ... or null, "target_language": ...}, compact, with
    // the keys in this order.
    QByteArray toJson() const;
};

} // namespace veyra
