#pragma once

#include "translation/translations/TranslationTargetLanguage.h"

#include <QString>
#include <QUuid>

#include <optional>

namespace veyra {

// The identity of one translation request. The identifier is fresh per request, so an
// identity equals only itself.
struct TranslationRequestIdentity
{
    QUuid id;
    QString sourceText;
    std::optional<QString> gameTitle;
    TranslationTargetLanguage targetLanguage = TranslationTargetLanguage::english;

    bool operator==(const TranslationRequestIdentity &) const = default;
};

} // namespace veyra
